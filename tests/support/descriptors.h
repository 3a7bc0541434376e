#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

// This process's file descriptors: how many are open, and what reaches standard error.
namespace descriptors {

// Compare counts only with each other: the count includes the one that reads the list.
inline int open_count() {
  using std::filesystem::directory_iterator;
  return static_cast<int>(std::distance(directory_iterator("/proc/self/fd"), directory_iterator()));
}

// All that `run` wrote to descriptor 2, from our code or the libraries below it.
template <typename Run>
std::string stderr_of(Run run) {
  std::fflush(stderr);
  FILE* sink = std::tmpfile();
  const int saved = dup(2);
  dup2(fileno(sink), 2);
  run();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string printed;
  std::rewind(sink);
  for (int c; (c = std::fgetc(sink)) != EOF;) printed += static_cast<char>(c);
  std::fclose(sink);
  return printed;
}

}  // namespace descriptors
