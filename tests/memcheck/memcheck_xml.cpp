#include "memcheck/memcheck_xml.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace memcheck {
namespace {

// The text of the first <tag>...</tag> in [from, to), unescaped; empty when absent.
std::string child(const std::string& xml, const std::string& tag, size_t from, size_t to) {
  const std::string open = "<" + tag + ">", close = "</" + tag + ">";
  const size_t a = xml.find(open, from);
  if (a == std::string::npos || a >= to) return "";
  const size_t b = xml.find(close, a);
  if (b == std::string::npos || b > to) return "";
  std::string text = xml.substr(a + open.size(), b - a - open.size());
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
  for (const auto& [from_text, to_text] : entities)
    for (size_t p = 0; (p = text.find(from_text, p)) != std::string::npos; p += 1)
      text.replace(p, std::char_traits<char>::length(from_text), to_text);
  return text;
}

// Calls f(begin, end) for every <tag>...</tag> block in [from, to): the inside of the block.
template <typename F>
void each(const std::string& xml, const std::string& tag, size_t from, size_t to, F f) {
  const std::string open = "<" + tag + ">", close = "</" + tag + ">";
  for (size_t a = xml.find(open, from); a != std::string::npos && a < to;
       a = xml.find(open, a + 1)) {
    const size_t b = xml.find(close, a);
    if (b == std::string::npos || b > to) return;
    f(a + open.size(), b);
  }
}

bool starts_with(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

std::string base_name(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The allocator (valgrind's replacement malloc/new) and the runtimes that allocate on behalf
// of their caller (strdup, std::string): a leak belongs to the first frame past them.
bool is_allocator_or_runtime(const Frame& f) {
  const std::string lib = base_name(f.obj);
  return starts_with(lib, "vgpreload_") || starts_with(lib, "libc.so") ||
         starts_with(lib, "libstdc++.so") || starts_with(lib, "ld-linux");
}

}  // namespace

Report parse(const std::string& xml) {
  Report report;
  report.complete = xml.find("</valgrindoutput>") != std::string::npos;
  each(xml, "error", 0, xml.size(), [&](size_t a, size_t b) {
    Error e;
    e.kind = child(xml, "kind", a, b);
    e.what = child(xml, "what", a, b);
    if (e.what.empty()) e.what = child(xml, "text", a, b);  // leaks say it in <xwhat>
    each(xml, "stack", a, b, [&](size_t sa, size_t sb) {
      std::vector<Frame> stack;
      each(xml, "frame", sa, sb, [&](size_t fa, size_t fb) {
        stack.push_back(Frame{child(xml, "obj", fa, fb), child(xml, "fn", fa, fb),
                              child(xml, "file", fa, fb), child(xml, "line", fa, fb)});
      });
      e.stacks.push_back(stack);
    });
    report.errors.push_back(e);
  });
  const size_t supp = xml.find("<suppcounts>");
  if (supp != std::string::npos) {
    each(xml, "pair", supp, xml.find("</suppcounts>", supp), [&](size_t a, size_t b) {
      report.suppressed += std::atoi(child(xml, "count", a, b).c_str());
    });
  }
  return report;
}

Report parse_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return parse(text.str());
}

bool is_ours(const Error& e, const std::string& ours) {
  if (starts_with(e.kind, "Leak_")) {
    if (e.kind != "Leak_DefinitelyLost" || e.stacks.empty()) return false;
    for (const Frame& f : e.stacks[0])
      if (!is_allocator_or_runtime(f)) return f.obj == ours;
    return false;
  }
  for (const auto& stack : e.stacks)
    for (const Frame& f : stack)
      if (f.obj == ours) return true;
  return false;
}

std::string describe(const Error& e) {
  std::string text = e.kind + ": " + e.what + "\n";
  if (!e.stacks.empty())
    for (const Frame& f : e.stacks[0])
      text += "    " + base_name(f.obj) + "  " + (f.fn.empty() ? "???" : f.fn) +
              (f.file.empty() ? "" : "  (" + f.file + ":" + f.line + ")") + "\n";
  return text;
}

}  // namespace memcheck
