// `zuno-level render`: a PNG overview of a whole level with the bike's start
// pose, so authors see their course without playing it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/common/command_line.h"

extern const char* const kLevelRenderHelp;

// The verb, reporting on out and err.
Verb levelRenderVerb(std::ostream& out, std::ostream& err);

// args are the words after "render". Returns the exit status: 0 written,
// 1 bad input ("FILE: what is wrong" on err), 2 usage error.
int levelRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
