// glfixed against the system's OpenGL, in one run: the benchmark scenes of the scene program
// (tests/glfixed/scenes.cpp) drawn by both builds, frame times and the draw calls per frame.
// Reported, never asserted. Both run on the same machine one after the other; compare
// within one run only.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Row {
  double ms = 0.0;
  double calls_in = -1.0;
  double draws_out = -1.0;
};

std::map<std::string, Row> run(const std::string& program, const std::string& out) {
  const std::string command = program + " glfixed-bench --bench " + out;
  std::map<std::string, Row> rows;
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    return rows;
  }
  std::ifstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name;
    Row r;
    std::getline(fields, name, '\t');
    fields >> r.ms >> r.calls_in >> r.draws_out;
    rows[name] = r;
  }
  return rows;
}

}  // namespace

int main() {
  const auto system_gl = run(GLFIXED_SCENES_SYSTEM, "glfixed-bench-system.tsv");
  const auto es = run(GLFIXED_SCENES_ES, "glfixed-bench-es.tsv");
  if (system_gl.empty() || es.empty()) return 1;
  std::printf(
      "\nframe median, ms      system GL    glfixed   ratio   GL calls/frame   ES draws/frame\n");
  for (const char* scene : {"eye level 13", "eye level 99", "overhead 13", "overhead 99"}) {
    const auto a = system_gl.find(scene);
    const auto b = es.find(scene);
    if (a == system_gl.end() || b == es.end()) continue;
    std::printf("%-20s %10.2f %10.2f %7.2f %16.0f %16.0f\n", scene, a->second.ms, b->second.ms,
                b->second.ms / a->second.ms, b->second.calls_in, b->second.draws_out);
  }
  return 0;
}
