#include "bench/include_tree_generator.h"

#include <algorithm>
#include <random>
#include <set>

namespace zelvan::bench {

namespace {

class Generator {
 public:
  Generator(const IncludeTreeShape& shape, const std::string& root)
      : shape_(shape), root_(root), random_(shape.seed) {
    shared_ =
        std::max(1, shape.headers - shape.system_headers - shape.modules * shape.local_per_module);
  }

  GeneratedTree Run() {
    GeneratedTree tree;
    tree.root = root_;
    tree.include_dirs = {root_ + "inc", root_ + "sys"};
    int per_module = std::max(1, shape_.sources / shape_.modules);
    for (int s = 0; s < shape_.sources; ++s) {
      int module = std::min(s / per_module, shape_.modules - 1);
      std::string path = ModuleDir(module) + "f" + std::to_string(s) + ".c";
      tree.sources.push_back(path);
      tree.files.push_back({path, SourceText(s, module)});
    }
    for (int i = 0; i < shape_.system_headers; ++i) {
      tree.files.push_back({root_ + "sys\\s" + std::to_string(i) + ".h", SystemHeaderText(i)});
    }
    std::set<std::pair<int, int>> back_edges;
    for (int c = 0; c < shape_.cycles; ++c) {
      // Back edges from a header to one a layer or two above it, in the
      // middle layers where many include paths pass.
      int width = std::max(1, shared_ / 8);
      int from = Uniform(shared_ * 3 / 8, shared_ * 5 / 8);
      int to = std::max(0, from - Uniform(width, 2 * width));
      back_edges.insert({from, to});
    }
    for (int i = 0; i < shared_; ++i) {
      tree.files.push_back(
          {root_ + "inc\\g" + std::to_string(i) + ".h", SharedHeaderText(i, back_edges)});
    }
    for (int m = 0; m < shape_.modules; ++m) {
      for (int k = 0; k < shape_.local_per_module; ++k) {
        tree.files.push_back(
            {ModuleDir(m) + "l" + std::to_string(k) + ".h", LocalHeaderText(m, k)});
      }
    }
    tree.header_count = tree.files.size() - tree.sources.size();
    for (const GeneratedFile& file : tree.files)
      tree.total_bytes += file.text.size();
    return tree;
  }

 private:
  int Uniform(int low, int high) {
    if (high <= low) return low;
    return std::uniform_int_distribution<int>(low, high)(random_);
  }
  // `count` distinct numbers from [low, high], ascending.
  std::vector<int> Pick(int count, int low, int high) {
    std::set<int> picked;
    if (high < low) return {};
    count = std::min(count, high - low + 1);
    while (static_cast<int>(picked.size()) < count)
      picked.insert(Uniform(low, high));
    return {picked.begin(), picked.end()};
  }
  // Headers of a kind stand in layers of `width`; a header includes headers
  // of the next layers only, so include chains stay as deep as in real trees
  // (about a dozen levels) while many paths meet in diamonds.
  std::vector<int> PickAbove(int count, int from, int limit, int width) {
    int layer = from / width;
    return Pick(count, (layer + 1) * width, std::min(limit - 1, (layer + 3) * width - 1));
  }
  std::string ModuleDir(int module) const {
    return root_ + "src\\m" + std::to_string(module) + "\\";
  }

  static std::string Guard(const std::string& name) {
    return "#ifndef " + name + "_H\n#define " + name + "_H\n\n";
  }
  static std::string Declarations(const std::string& name, int count) {
    std::string text = "typedef struct " + name +
                       "_state {\n    unsigned long flags;   /* state bits */\n"
                       "    int count;              /* users */\n    const char *label;\n} " +
                       name + "_state_t;\n\n";
    for (int i = 0; i < count; ++i) {
      text += "extern int " + name + "_op" + std::to_string(i) + "(" + name +
              "_state_t *state, unsigned int mode, const void *data); /* operation " +
              std::to_string(i) + " */\n";
    }
    return text;
  }

  std::string SystemHeaderText(int i) {
    std::string name = "s" + std::to_string(i);
    std::string text = "/* " + name + ".h: toolchain library interface. */\n" + Guard(name);
    for (int j : PickAbove(Uniform(0, 2), i, shape_.system_headers, shape_.system_headers / 4)) {
      text += "#include <s" + std::to_string(j) + ".h>\n";
    }
    text += "\n" + Declarations(name, 14) + "\n#endif /* " + name + "_H */\n";
    return text;
  }

  std::string SharedHeaderText(int i, const std::set<std::pair<int, int>>& back_edges) {
    std::string name = "g" + std::to_string(i);
    std::string text =
        "/*\n * " + name +
        ".h: shared declarations of the board support package.\n"
        " * #include lines inside comments do not count: #include \"none.h\"\n */\n" +
        Guard(name);
    for (int j : PickAbove(Uniform(1, 3), i, shared_, shared_ / 8)) {
      text += "#include \"g" + std::to_string(j) + ".h\"\n";
    }
    for (const auto& [from, to] : back_edges) {
      if (from == i) text += "#include \"g" + std::to_string(to) + ".h\"  /* guarded cycle */\n";
    }
    for (int j : Pick(Uniform(0, 2), 0, shape_.system_headers - 1)) {
      text += "#include <s" + std::to_string(j) + ".h>\n";
    }
    text += "\n" + Declarations(name, 16) + "\n#endif /* " + name + "_H */\n";
    return text;
  }

  std::string LocalHeaderText(int module, int k) {
    std::string name = "m" + std::to_string(module) + "_l" + std::to_string(k);
    std::string text = "// " + name + ": module-local interface\n" + Guard(name);
    for (int j :
         PickAbove(Uniform(1, 3), k, shape_.local_per_module, shape_.local_per_module / 4)) {
      text += "#include \"l" + std::to_string(j) + ".h\"\n";
    }
    for (int j : Pick(Uniform(1, 2), 0, shared_ - 1)) {
      text += "#include \"g" + std::to_string(j) + ".h\"\n";
    }
    text += "\n" + Declarations(name, 10) + "\n#endif\n";
    return text;
  }

  std::string SourceText(int s, int module) {
    std::string name = "f" + std::to_string(s);
    std::string text = "/*\n * " + name + ".c: module " + std::to_string(module) + ".\n */\n";
    for (int j : Pick(Uniform(1, 3), 0, shape_.system_headers - 1)) {
      text += "#include <s" + std::to_string(j) + ".h>\n";
    }
    for (int j : Pick(Uniform(2, 4), 0, shape_.local_per_module - 1)) {
      text += "#include \"l" + std::to_string(j) + ".h\"\n";
    }
    for (int j : Pick(Uniform(2, 4), 0, shared_ - 1)) {
      text += "#include \"g" + std::to_string(j) + ".h\"\n";
    }
    if (s % 250 == 7) text += "#include \"missing" + std::to_string(s) + ".h\"\n";
    text += "\nstatic int counter;  /* calls so far */\n\n";
    for (int f = 0; f < 8; ++f) {
      text += "int " + name + "_fn" + std::to_string(f) +
              "(int value, const char *text)\n{\n"
              "    int result = value;\n"
              "    /* walk the text; stop at the terminator */\n"
              "    while (text != 0 && *text != '\\0') {\n"
              "        result = result * 31 + *text++;\n"
              "    }\n"
              "    counter++;\n"
              "    return result ^ " +
              std::to_string(s * 8 + f) + ";\n}\n\n";
    }
    return text;
  }

  IncludeTreeShape shape_;
  std::string root_;
  std::mt19937 random_;
  int shared_ = 0;
};

}  // namespace

GeneratedTree GenerateIncludeTree(const IncludeTreeShape& shape, const std::string& root) {
  return Generator(shape, root).Run();
}

std::string ProjectFolderLines(const GeneratedTree& tree,
                               const std::function<std::string(size_t)>& section) {
  std::string text;
  auto line = [&text](const std::string& s) { text += s + "\r\n"; };
  std::vector<std::string> folders;
  std::vector<std::vector<std::string>> entries;
  for (const std::string& source : tree.sources) {
    std::string relative = source.substr(tree.root.size());
    std::string folder = relative.substr(0, relative.rfind('\\'));
    if (folders.empty() || folders.back() != folder) {
      folders.push_back(folder);
      entries.emplace_back();
    }
    entries.back().push_back(relative);
  }
  std::string list;
  for (size_t f = 0; f < folders.size(); ++f)
    list += section(f) + ";";
  line("Folder=" + list);
  for (size_t f = 0; f < folders.size(); ++f) {
    line("[" + section(f) + "]");
    line("SOURCECOUNT=" + std::to_string(entries[f].size()));
    for (size_t i = 0; i < entries[f].size(); ++i)
      line("SOURCE" + std::to_string(i) + "=" + entries[f][i]);
  }
  return text;
}

}  // namespace zelvan::bench
