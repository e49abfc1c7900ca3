#include "tools/reconcile/input_notes.h"

#include "tools/reconcile/report_csv.h"

namespace {

std::string Where(const Findings& findings, const Place& at) {
  return at.Line == 0 ? FileOf(findings, at) : FileOf(findings, at) + ":" + std::to_string(at.Line);
}

}  // namespace

std::string NoteText(const Findings& findings, const InputNote& note) {
  const std::string where = Where(findings, note.At);
  switch (note.Kind) {
    case NoteKind::Unreadable:
      return where + ": could not be read: " + note.Text;
    case NoteKind::Malformed:
      return where + ": not a record: " + note.Text;
    case NoteKind::CutOff:
      return where + ": last line cut off by a copy taken while it was written, and no copy has it whole; "
                     "not read (collect the file again): \"" + note.Text + "\"";
    case NoteKind::CutOffWhole:
      return where + ": last line cut off by a copy taken while it was written; read whole from " +
             Where(findings, note.Other);
    case NoteKind::CopiesDiffer:
      break;
  }
  return where + ": differs from the same line of its copy " + Where(findings, note.Other) + "; both read";
}
