#include "tools/reconcile/options.h"

#include "product_version.h"

namespace {

bool ParseMonth(const std::string& text, int& month) {
  if (text.size() != 7 || text[4] != '-') return false;
  int year = 0;
  int number = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == 4) continue;
    if (text[i] < '0' || text[i] > '9') return false;
    (i < 4 ? year : number) = (i < 4 ? year : number) * 10 + (text[i] - '0');
  }
  if (number < 1 || number > 12) return false;
  month = year * 100 + number;
  return true;
}

}  // namespace

const char* UsageText() {
  return "CSReconcile " PRODUCT_VERSION_TEXT ": the money in doubt, totals and numbering of the plug-in's journals\n"
         "usage: CSReconcile JOURNALS... [--month YYYY-MM] [--gateway SETTLEMENT.csv]\n"
         "                   [--gateway-columns terminal=NAME,batch=NAME,sequence=NAME,amount=NAME,code=NAME]\n"
         "                   [--out FOLDER]\n"
         "  JOURNALS           journal files, or folders searched at any depth for CSJournal-*.csv\n"
         "  --month YYYY-MM    report this month only (the months beside it are read for\n"
         "                     transactions that span the turn of a month)\n"
         "  --gateway FILE     the card office's settlement (CSV with a header), matched on\n"
         "                     terminal, batch and sequence number\n"
         "  --gateway-columns  its column names, where they are not the journal's own\n"
         "                     (Terminal ID, Batch, Sequence, Amount, Response code)\n"
         "  --out FOLDER       where report.html, in-doubt.csv, totals.csv, numbering.csv\n"
         "                     and match.csv go (default: the current folder)\n"
         "exit code: 0 nothing in doubt, 1 items in doubt, 2 input it could not read\n";
}

bool ParseOptions(const std::vector<std::string>& arguments, Options& options, std::string& error) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    if (name.rfind("--", 0) != 0 || name == "--") {
      options.Journals.push_back(name);
      continue;
    }
    std::string value;
    bool hasValue = false;
    const size_t equals = name.find('=');
    if (equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    if (name == "--help") {
      options.Help = true;
      continue;
    }
    if (name == "--version") {
      options.Version = true;
      continue;
    }
    if (name != "--month" && name != "--gateway" && name != "--gateway-columns" && name != "--out") {
      error = "unknown option " + arguments[i];
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= arguments.size()) {
        error = "option " + name + " needs a value";
        return false;
      }
      value = arguments[++i];
    }
    if (value.empty()) {
      error = "option " + name + " needs a value";
      return false;
    }
    if (name == "--month") {
      if (!ParseMonth(value, options.Month)) {
        error = "month '" + value + "' is not YYYY-MM";
        return false;
      }
    } else if (name == "--gateway") {
      options.Gateway = value;
    } else if (name == "--gateway-columns") {
      if (!ParseSettlementColumns(value, options.Columns, error)) return false;
    } else {
      options.Out = value;
    }
  }
  if (!options.Help && !options.Version && options.Journals.empty()) {
    error = "no journals given: name files or folders";
    return false;
  }
  return true;
}
