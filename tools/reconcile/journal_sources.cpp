#include "tools/reconcile/journal_sources.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <queue>

namespace {

constexpr size_t kReadChunk = 1 << 16;
// A line longer than this is not a record; the rest of it is passed over.
constexpr size_t kLongestLine = 1 << 16;
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

std::string HeaderLine() {
  std::string header = kJournalHeader;
  header.resize(header.size() - std::strlen(kJournalLineEnd));
  return header;
}

// One file's lines, in order.
class LineReader {
 public:
  ~LineReader() {
    if (file_ != nullptr) std::fclose(file_);
  }
  bool Open(const std::string& path, std::string& error) {
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
      error = std::strerror(errno);
      return false;
    }
    buffer_.resize(kReadChunk);
    return true;
  }
  // The next line into Text(); false at the end or on a read error (Failed()).
  bool Next() {
    text_.clear();
    bool overlong = false;
    for (;;) {
      if (at_ == used_ && !Fill()) {
        ended_ = false;
        if (text_.empty() && !overlong) return false;
        break;  // the last line, without a line end
      }
      const char* begin = buffer_.data() + at_;
      const void* found = std::memchr(begin, kLineFeed, used_ - at_);
      const size_t take = found == nullptr ? used_ - at_ : static_cast<const char*>(found) - begin;
      if (text_.size() + take <= kLongestLine) {
        text_.append(begin, take);
      } else {
        overlong = true;
      }
      at_ += take;
      if (found != nullptr) {
        ++at_;
        ended_ = true;
        break;
      }
    }
    if (ended_ && !text_.empty() && text_.back() == kCarriageReturn) text_.pop_back();
    if (overlong) text_.assign(kJournalRecordSize, 'x');  // judged too long as a record
    ++number_;
    return true;
  }
  const std::string& Text() const { return text_; }
  std::string& Text() { return text_; }
  bool Ended() const { return ended_; }
  int64_t Number() const { return number_; }
  bool Failed() const { return failed_; }
  const std::string& Error() const { return error_; }
  uint64_t TakeBytesRead() {
    const uint64_t bytes = bytesRead_;
    bytesRead_ = 0;
    return bytes;
  }

 private:
  bool Fill() {
    if (file_ == nullptr || failed_) return false;
    used_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    at_ = 0;
    bytesRead_ += used_;
    if (used_ == 0 && std::ferror(file_)) {
      failed_ = true;
      error_ = std::strerror(errno);
    }
    return used_ > 0;
  }

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  size_t used_ = 0;
  size_t at_ = 0;
  std::string text_;
  bool ended_ = false;
  int64_t number_ = 0;
  bool failed_ = false;
  std::string error_;
  uint64_t bytesRead_ = 0;
};

// A line as the group hands it on.
struct GroupLine {
  std::string Text;
  Place At;
  bool CutOff = false;  // no line end and no copy that has it whole
};

// The copies of one file, read line number by line number.
class CopyGroup {
 public:
  explicit CopyGroup(std::vector<uint32_t> files) : files_(std::move(files)) {}

  bool Open(const std::vector<FoundFile>& found, RecordSink& sink) {
    for (uint32_t file : files_) {
      auto member = std::make_unique<Member>();
      member->File = file;
      std::string error;
      if (!member->Reader.Open(found[file].Path, error)) {
        sink.Note({NoteKind::Unreadable, {file, 0}, {}, error});
        continue;
      }
      members_.push_back(std::move(member));
    }
    for (auto& member : members_) Advance(*member, sink);
    return !members_.empty();
  }

  // The next line of the group; false when every copy has ended.
  bool Next(GroupLine& out, RecordSink& sink, int64_t& copiedLines) {
    while (queue_.empty()) {
      if (!Step(sink, copiedLines)) return false;
    }
    out = std::move(queue_.front());
    queue_.erase(queue_.begin());
    return true;
  }

  uint64_t TakeBytesRead() {
    uint64_t bytes = 0;
    for (auto& member : members_) bytes += member->Reader.TakeBytesRead();
    return bytes;
  }

 private:
  struct Member {
    uint32_t File;
    LineReader Reader;
    bool Has = false;
  };

  void Advance(Member& member, RecordSink& sink) {
    member.Has = member.Reader.Next();
    if (!member.Has && member.Reader.Failed()) {
      sink.Note({NoteKind::Unreadable, {member.File, member.Reader.Number() + 1}, {}, member.Reader.Error()});
    }
  }

  // Takes the lines of the next line number into the queue.
  bool Step(RecordSink& sink, int64_t& copiedLines) {
    std::vector<Member*> active;
    for (auto& member : members_) {
      if (member->Has) active.push_back(member.get());
    }
    if (active.empty()) return false;
    if (active.size() == 1) {  // the common case: one file, or the longest copy alone
      Member& only = *active[0];
      queue_.push_back({std::move(only.Reader.Text()), {only.File, only.Reader.Number()}, !only.Reader.Ended()});
      Advance(only, sink);
      return true;
    }
    // Whole lines first, longest cut-off lines after: a cut-off line that begins a whole
    // one, or a longer cut-off one, is taken from there.
    std::stable_sort(active.begin(), active.end(), [](const Member* a, const Member* b) {
      if (a->Reader.Ended() != b->Reader.Ended()) return a->Reader.Ended();
      return a->Reader.Text().size() > b->Reader.Text().size();
    });
    std::vector<const Member*> taken;
    for (const Member* member : active) {
      const std::string& text = member->Reader.Text();
      const Place at{member->File, member->Reader.Number()};
      const Member* same = nullptr;
      for (const Member* kept : taken) {
        const std::string& keptText = kept->Reader.Text();
        const bool covered = member->Reader.Ended() ? keptText == text : keptText.compare(0, text.size(), text) == 0;
        if (covered) {
          same = kept;
          break;
        }
      }
      if (same != nullptr) {
        ++copiedLines;
        if (!member->Reader.Ended()) {
          sink.Note({NoteKind::CutOffWhole, at, {same->File, same->Reader.Number()}, text});
        }
        continue;
      }
      if (!taken.empty() && member->Reader.Ended()) {
        sink.Note({NoteKind::CopiesDiffer, at, {taken[0]->File, taken[0]->Reader.Number()}, text});
      }
      taken.push_back(member);
    }
    for (const Member* member : taken) {
      queue_.push_back({member->Reader.Text(), {member->File, member->Reader.Number()}, !member->Reader.Ended()});
    }
    for (Member* member : active) Advance(*member, sink);
    return true;
  }

  std::vector<uint32_t> files_;
  std::vector<std::unique_ptr<Member>> members_;
  std::vector<GroupLine> queue_;
};

// Order of a line within one second: a transaction's records come in this order.
int EventRank(JournalEvent event) {
  switch (event) {
    case JournalEvent::Sending:
      return 0;
    case JournalEvent::Booked:
    case JournalEvent::BookingFailed:
      return 2;
    default:
      return 1;
  }
}

int64_t TimeKey(const LocalDateTime& t) {
  return ((((static_cast<int64_t>(t.year) * 13 + t.month) * 32 + t.day) * 24 + t.hour) * 60 + t.minute) * 61 +
         t.second;
}

// A group with its next line read and judged.
struct Head {
  std::unique_ptr<CopyGroup> Group;
  GroupLine Line;
  JournalLine Record{};
  char Texts[kJournalRecordSize];
  bool IsRecord = false;
  int64_t Key = 0;  // time order; a line that is no record keeps the one before it
  int Rank = 0;
  size_t Index = 0;
};

// What a file is: its month, and the line that tells copies apart.
struct FileHead {
  int Month = 0;             // YYYYMM, 0 when neither name nor lines say
  std::string FirstRecord;   // the second line
  bool FirstRecordWhole = false;
};

FileHead ReadFileHead(const FoundFile& file) {
  FileHead head;
  LineReader reader;
  std::string error;
  if (reader.Open(file.Path, error) && reader.Next() && reader.Next()) {
    head.FirstRecord = reader.Text();
    head.FirstRecordWhole = reader.Ended();
  }
  if (const auto named = ParseJournalFileName(file.Name)) {
    head.Month = named->Year * 100 + named->Month;
  } else if (head.FirstRecord.size() >= 7 && head.FirstRecord[4] == '-') {
    const int year = std::atoi(head.FirstRecord.substr(0, 4).c_str());
    const int month = std::atoi(head.FirstRecord.substr(5, 2).c_str());
    if (year > 0 && month >= 1 && month <= 12) head.Month = year * 100 + month;
  }
  return head;
}

int MonthBefore(int month) { return month % 100 == 1 ? month - 100 + 11 : month - 1; }
int MonthAfter(int month) { return month % 100 == 12 ? month + 100 - 11 : month + 1; }

}  // namespace

StreamCounts StreamJournals(const std::vector<FoundFile>& files, int month, RecordSink& sink,
                            const ProgressCounter& progress) {
  StreamCounts counts;
  // Files into groups of copies, by their first record.
  std::vector<FileHead> heads;
  for (const FoundFile& file : files) heads.push_back(ReadFileHead(file));
  std::vector<uint32_t> order(files.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  // Whole first records before cut-off ones, so that a cut-off one finds its group.
  std::stable_sort(order.begin(), order.end(), [&heads](uint32_t a, uint32_t b) {
    return heads[a].FirstRecordWhole > heads[b].FirstRecordWhole;
  });
  struct Forming {
    std::string Key;
    int Month;
    std::vector<uint32_t> Files;
  };
  std::vector<Forming> groups;
  std::map<std::string, size_t> byKey;
  for (uint32_t file : order) {
    const FileHead& head = heads[file];
    size_t found = groups.size();
    if (!head.FirstRecord.empty()) {
      if (head.FirstRecordWhole) {
        const auto it = byKey.find(head.FirstRecord);
        if (it != byKey.end()) found = it->second;
      } else {
        const auto it = byKey.lower_bound(head.FirstRecord);
        if (it != byKey.end() && it->first.compare(0, head.FirstRecord.size(), head.FirstRecord) == 0) {
          found = it->second;
        }
      }
    }
    if (found == groups.size()) {
      groups.push_back({head.FirstRecord, head.Month, {}});
      if (head.FirstRecordWhole) byKey[head.FirstRecord] = found;
    } else {
      ++counts.CopyFiles;
    }
    groups[found].Files.push_back(file);
  }
  // The longest copy first: its file and line numbers are the ones reported.
  for (Forming& group : groups) {
    std::sort(group.Files.begin(), group.Files.end(), [&files](uint32_t a, uint32_t b) {
      return files[a].Size != files[b].Size ? files[a].Size > files[b].Size : a < b;
    });
  }
  std::stable_sort(groups.begin(), groups.end(),
                   [](const Forming& a, const Forming& b) { return a.Month < b.Month; });

  const std::string header = HeaderLine();
  size_t next = 0;
  while (next < groups.size()) {
    const int groupMonth = groups[next].Month;
    size_t end = next;
    while (end < groups.size() && groups[end].Month == groupMonth) ++end;
    const bool wanted = month == 0 || groupMonth == 0 || groupMonth == month ||
                        groupMonth == MonthBefore(month) || groupMonth == MonthAfter(month);
    if (!wanted) {
      for (size_t g = next; g < end; ++g) counts.LeftOutFiles += static_cast<int>(groups[g].Files.size());
      next = end;
      continue;
    }
    // The month's groups, merged by the time of their next line.
    std::vector<std::unique_ptr<Head>> monthHeads;
    auto advance = [&](Head& head) {
      if (!head.Group->Next(head.Line, sink, counts.CopiedLines)) return false;
      ++counts.Lines;
      progress(head.Group->TakeBytesRead());
      head.IsRecord = false;
      const std::string& text = head.Line.Text;
      if (head.Line.CutOff) {
        // A file's header cut off before its first record was written is no loss.
        if (head.Line.At.Line != 1 || header.compare(0, text.size(), text) != 0) {
          sink.Note({NoteKind::CutOff, head.Line.At, {}, text});
        }
        return true;
      }
      if (head.Line.At.Line == 1 && text == header) return true;
      const JournalLineFault fault = ReadJournalLine(text.data(), text.size(), &head.Record, head.Texts);
      if (fault.Fault != JournalFault::None) {
        char why[128];
        if (text == header) {
          std::snprintf(why, sizeof why, "the header line again");
        } else if (head.Line.At.Line == 1) {
          std::snprintf(why, sizeof why, "not the journal's header (%s)", kJournalColumnNames[0]);
        } else {
          DescribeJournalFault(fault, why, sizeof why);
        }
        sink.Note({NoteKind::Malformed, head.Line.At, {}, why});
        return true;
      }
      head.IsRecord = true;
      head.Key = TimeKey(head.Record.Time);
      head.Rank = EventRank(head.Record.Event);
      return true;
    };
    auto later = [](const Head* a, const Head* b) {
      return std::tie(a->Key, a->Rank, a->Index) > std::tie(b->Key, b->Rank, b->Index);
    };
    std::priority_queue<Head*, std::vector<Head*>, decltype(later)> queue(later);
    for (size_t g = next; g < end; ++g) {
      auto head = std::make_unique<Head>();
      head->Group = std::make_unique<CopyGroup>(groups[g].Files);
      head->Index = g;
      if (head->Group->Open(files, sink) && advance(*head)) queue.push(head.get());
      monthHeads.push_back(std::move(head));
    }
    while (!queue.empty()) {
      Head* head = queue.top();
      queue.pop();
      if (head->IsRecord) sink.Record(head->Line.At, head->Record);
      if (advance(*head)) queue.push(head);
    }
    next = end;
  }
  return counts;
}

bool IsJournalFileName(const std::string& name) {
  const std::string prefix = "csjournal-";
  const std::string extension = ".csv";
  if (name.size() < prefix.size() + extension.size()) return false;
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.compare(0, prefix.size(), prefix) == 0 &&
         lower.compare(lower.size() - extension.size(), extension.size(), extension) == 0;
}
