#pragma once
// The journal's records as a spreadsheet reads them (RFC 4180: fields separated by
// commas, quoted fields with doubled quotes, records ended by CRLF). Shared by the
// native and the Win32 tests.
#include <string>
#include <vector>

namespace journalcsv {

using Row = std::vector<std::string>;

// Every record of text, the header included. A quoted field may hold commas, quotes
// and line breaks; text not ended by CRLF gives a last record all the same.
inline std::vector<Row> Rows(const std::string& text) {
  std::vector<Row> rows;
  Row row;
  std::string field;
  bool quoted = false;
  bool rowOpen = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    rowOpen = true;
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      row.push_back(field);
      rows.push_back(row);
      row.clear();
      field.clear();
      rowOpen = false;
      ++i;
    } else {
      field += c;
    }
  }
  if (rowOpen) {
    row.push_back(field);
    rows.push_back(row);
  }
  return rows;
}

// The columns, by their place in a record (see kJournalHeader).
enum Column {
  kTime, kKind, kTerminal, kBatch, kSequence, kAmount, kCard, kEvent, kCode, kMessage, kEndCode,
  kColumns
};

}  // namespace journalcsv
