#pragma once
#include <string>

#include "tools/reconcile/findings.h"

// A note on the input as a person reads it, compiler style: "FILE:LINE: what".
std::string NoteText(const Findings& findings, const InputNote& note);
