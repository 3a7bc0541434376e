#pragma once

#include <string>
#include <vector>

// Reads valgrind memcheck's XML report (--xml=yes) and sorts its errors into ours and theirs.
namespace memcheck {

struct Frame {
  std::string obj;  // the binary or library the frame lies in
  std::string fn;
  std::string file;
  std::string line;
};

struct Error {
  std::string kind;  // InvalidRead, UninitCondition, Leak_DefinitelyLost, ...
  std::string what;
  std::vector<std::vector<Frame>> stacks;  // the main stack first, then auxiliary ones
};

struct Report {
  bool complete = false;  // the closing tag was written: the run ended normally
  std::vector<Error> errors;
  int suppressed = 0;  // errors and leaks matched by the suppression file
};

Report parse(const std::string& xml);
Report parse_file(const std::string& path);

// `ours` is the path of our binary: every frame in it is our code, inlined templates included.
// A non-leak error is ours when any frame of any of its stacks is ours. A definite leak is
// ours when the first frame past the allocator and the C/C++ runtime is ours.
bool is_ours(const Error& e, const std::string& ours);

// One readable block: kind, what, and the frames of the main stack.
std::string describe(const Error& e);

}  // namespace memcheck
