// mkaudio: builds the game's music and sound effects from our text sources.
//   mkaudio score <score.txt> <out.mid>
//   mkaudio effects <effects.txt> <out-dir>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "score.h"
#include "synth.h"

namespace {

const int kRate = 44100;

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot open");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Writes through a temporary name so a failed run never leaves half a file behind.
void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error(tmp + ": cannot write");
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0)
    throw std::runtime_error(path + ": cannot write");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc == 4 ? argv[1] : "";
  if (mode != "score" && mode != "effects") {
    std::cerr << "usage: mkaudio score <score.txt> <out.mid>\n"
                 "       mkaudio effects <effects.txt> <out-dir>\n";
    return 2;
  }
  try {
    const std::string source = read_file(argv[2]);
    if (mode == "score") {
      write_file(argv[3], compile_score(source, argv[2]));
    } else {
      const std::vector<EffectDef> effects = parse_effects(source, argv[2]);
      if (effects.empty()) throw std::runtime_error(std::string(argv[2]) + ": no effects listed");
      for (const EffectDef& effect : effects)
        write_file(std::string(argv[3]) + "/" + effect.file,
                   wav_file(render_effect(effect, kRate), kRate));
    }
  } catch (const std::exception& e) {
    std::cerr << "mkaudio: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
