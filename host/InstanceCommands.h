#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tanglefix::host
{

/** The commands that run one instance of a bundle's first effect, from start-up to the check
    that the bundle can be unloaded (exit codes as DescribeCommand's, 64 for unusable
    arguments, 74 for a chunk file that cannot be read or written):

      params [--set ID=VALUE]... BUNDLE
          lists every parameter: id, name, shortened names, steps, default, value and the
          text of the value as the host shows it; --set first sets normalised values
      chunk get [--set ID=VALUE]... BUNDLE FILE
          saves every chunk of the instance to FILE
      chunk set BUNDLE FILE
          restores the chunks of FILE into a new instance, then checks that each compares equal
      editor [--set ID=VALUE]... [--scale S] [--screenshot FILE.png] [--hold MS] BUNDLE
          opens the instance's editor in an X window of the host (DISPLAY; 69 without one),
          prints how long the cold open took, keeps it open MS milliseconds (500), drags its
          resize corner to scale S (0.5 to 2) and saves a picture of the window
*/
int runParamsCommand (const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runChunkCommand (const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runEditorCommand (const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tanglefix::host
