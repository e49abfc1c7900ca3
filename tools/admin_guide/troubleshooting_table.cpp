// Prints the administrator's guide's troubleshooting table (Markdown) from the
// plug-in's own tables (dialogs/troubleshooting.h), so that the guide cannot drift
// from the texts the code shows. tests/docs/check_troubleshooting.py compares it with
// ADMIN.md and, with --write, puts it there.
#include <cstdio>
#include <cstring>
#include <string>

#include "dialogs/troubleshooting.h"
#include "gateway/transport_errors.h"

namespace {

constexpr TransportStep kStepsInGuideOrder[] = {
    TransportStep::Connect, TransportStep::OpenRequest, TransportStep::Send,
    TransportStep::QueryStatus, TransportStep::Read};

// A shown text with its conversions as the guide names them: numbers N, texts PATH. A
// format that begins with "%s" puts a line break there when one is needed: nothing.
std::string Shown(const char* format) {
  if (std::strncmp(format, "%s", 2) == 0) format += 2;
  std::string text;
  for (const char* p = format; *p != '\0'; ++p) {
    if (std::strncmp(p, "%lu", 3) == 0) {
      text += 'N';
      p += 2;
    } else if (std::strncmp(p, "%d", 2) == 0) {
      text += 'N';
      ++p;
    } else if (std::strncmp(p, "%s", 2) == 0) {
      text += "PATH";
      ++p;
    } else {
      text += *p;
    }
  }
  return text;
}

// A cell: '|' escaped, each line of a shown text as code, line breaks as <br>.
std::string Cell(const std::string& text, bool code) {
  std::string cell;
  std::string line;
  auto flush = [&] {
    if (!cell.empty()) cell += "<br>";
    cell += code ? "`" + line + "`" : line;
    line.clear();
  };
  for (char c : text) {
    if (c == '\n') {
      flush();
    } else if (c == '|') {
      line += "\\|";
    } else {
      line += c;
    }
  }
  if (!line.empty() || cell.empty()) flush();
  return cell;
}

const char* Money(MoneyMoved money) {
  switch (money) {
    case MoneyMoved::No:
      return "No";
    case MoneyMoved::Maybe:
      return "**Maybe**: ask the card office";
    case MoneyMoved::Yes:
      return "**Yes**: the card was charged";
  }
  return "";
}

void Row(const std::string& shown, const char* meaning, const char* cause, const char* fix,
         MoneyMoved money) {
  std::printf("| %s | %s | %s | %s | %s |\n", Cell(shown, true).c_str(), Cell(meaning, false).c_str(),
              Cell(cause, false).c_str(), Cell(fix, false).c_str(), Money(money));
}

}  // namespace

int main() {
  std::printf("| What the user sees | What it means | Likely cause | What to do | Money moved? |\n");
  std::printf("|---|---|---|---|---|\n");
  for (TransportStep step : kStepsInGuideOrder) {
    for (const TransportAdvice& advice : TransportAdviceRows()) {
      if ((advice.steps & (1u << static_cast<unsigned>(step))) == 0) continue;
      const TransportResult result{step, advice.number, 0};
      char shown[64];
      FormatTransportFailure(result, shown, sizeof shown);
      Row(shown, FindTransportError(advice.number)->meaning, advice.cause, advice.fix,
          MoneyAfter(result));
    }
  }
  for (const StatusAdvice& advice : StatusAdviceRows()) {
    const TransportResult result{TransportStep::CheckStatus, 0, advice.status};
    char shown[64];
    FormatTransportFailure(result, shown, sizeof shown);
    Row(shown, advice.plainLine, advice.cause, advice.fix, MoneyAfter(result));
  }
  for (const Trouble& trouble : OtherTroubles()) {
    Row(Shown(trouble.shown), trouble.meaning, trouble.cause, trouble.fix, trouble.money);
  }
  return 0;
}
