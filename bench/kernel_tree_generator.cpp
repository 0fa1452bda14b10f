#include "bench/kernel_tree_generator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace zelvan::bench {

KernelTreeShape KernelTreeShape::Scaled(double factor) {
  KernelTreeShape shape;
  auto scale = [factor](int n, int least) {
    return std::max(least, static_cast<int>(std::lround(n * factor)));
  };
  shape.sources = scale(shape.sources, 8);
  shape.headers = scale(shape.headers, 40);
  shape.core = scale(shape.core, 8);
  shape.source_folders = scale(shape.source_folders, 2);
  shape.unresolved = scale(shape.unresolved, 2);
  shape.cycles = scale(shape.cycles, 1);
  shape.largest_cycle = std::min(shape.largest_cycle, std::max(2, shape.core / 8));
  shape.mean_closure = scale(shape.mean_closure, 16);
  shape.total_bytes = static_cast<size_t>(static_cast<double>(shape.total_bytes) * factor);
  shape.header_bytes = static_cast<size_t>(static_cast<double>(shape.header_bytes) * factor);
  shape.largest_file = std::min(shape.largest_file, std::max<size_t>(shape.total_bytes / 16, 4096));
  shape.largest_header =
      std::min(shape.largest_header, std::max<size_t>(shape.header_bytes / 16, 4096));
  return shape;
}

namespace {

// The folders of global headers: where they stand, how they are included
// (the folder part of the name), and their share of the non-core headers.
struct HeaderFolder {
  const char* dir;
  const char* prefix;
  double share;
};
constexpr HeaderFolder kFolders[] = {
    {"include\\linux\\", "linux/", 0.52},
    {"include\\uapi\\linux\\", "linux/", 0.14},
    {"include\\generated\\uapi\\linux\\", "linux/", 0.01},
    {"include\\asm-generic\\", "asm-generic/", 0.06},
    {"include\\net\\", "net/", 0.07},
    {"include\\trace\\events\\", "trace/events/", 0.04},
    {"arch\\mr\\include\\asm\\", "asm/", 0.12},
    {"arch\\mr\\include\\generated\\asm\\", "asm/", 0.02},
    {"arch\\mr\\include\\uapi\\asm\\", "asm/", 0.02},
};

// The "-I" folders, in the kernel's order.
const char* const kIncludeDirs[] = {
    "arch\\mr\\include",        "arch\\mr\\include\\generated",       "include",
    "arch\\mr\\include\\uapi",  "arch\\mr\\include\\generated\\uapi", "include\\uapi",
    "include\\generated\\uapi",
};

const char* const kWords[] = {
    "spin",    "lock",   "types", "irq",  "sched",  "page",   "dev",    "net",    "skb",
    "buf",     "bio",    "block", "time", "clock",  "list",   "hash",   "rcu",    "atomic",
    "bit",     "ops",    "cpu",   "mask", "wait",   "queue",  "work",   "timer",  "pci",
    "usb",     "dma",    "map",   "kobj", "sysfs",  "proc",   "seq",    "file",   "inode",
    "dentry",  "mount",  "cred",  "task", "signal", "mutex",  "sem",    "percpu", "cache",
    "slab",    "vm",     "io",    "port", "reg",    "gpio",   "of",     "acpi",   "power",
    "thermal", "crypto", "hw",    "core", "util",   "compat", "trace",  "event",  "perf",
    "stat",    "ref",    "count", "err",  "log",    "string", "kernel", "module", "param",
    "init",    "export", "node",  "zone", "swap",   "fault",  "sock",   "addr",   "route",
};

const char* const kLocalNames[] = {
    "internal.h", "core.h",  "regs.h", "common.h", "trace.h", "hw.h",     "debug.h",
    "defs.h",     "priv.h",  "ops.h",  "fw.h",     "phy.h",   "ctrl.h",   "queue.h",
    "irq.h",      "sysfs.h", "mac.h",  "dma.h",    "link.h",  "params.h",
};

const char* const kSourceFolders[] = {"drivers", "fs",    "net",    "kernel", "mm",
                                      "sound",   "block", "crypto", "lib",    "arch\\mr"};

constexpr const char* kSourceSnippets[] = {
    "/**\n"
    " * @N_probe@K - set up one device\n"
    " * @dev: the device; its private data must be set\n"
    " *\n"
    " * Returns 0 on success, else a negative error code. The state of an\n"
    " * earlier probe is not used: see the \"reset\" path below.\n"
    " */\n"
    "static int @N_probe@K(struct device *dev)\n"
    "{\n"
    "\tstruct @N_priv *priv = dev_get_drvdata(dev);\n"
    "\tint ret;\n"
    "\n"
    "\tif (!priv)\n"
    "\t\treturn -ENODEV;\n"
    "\tret = @N_setup(priv, \"mode: /* fast */ // not a comment\", 0x10 + @K);\n"
    "\tif (ret < 0) {\n"
    "\t\tdev_err(dev, \"setup failed: %d\\n\", ret);\n"
    "\t\tgoto out;\n"
    "\t}\n"
    "\tpriv->count++;\t/* users so far */\n"
    "out:\n"
    "\treturn ret;\n"
    "}\n\n",
    "static const struct @N_ops @N_ops@K = {\n"
    "\t.open\t\t= @N_open,\n"
    "\t.release\t= @N_release,\n"
    "\t.read\t\t= @N_read,\t// plain reads only\n"
    "\t.write\t\t= @N_write,\n"
    "\t.ioctl\t\t= @N_ioctl@K,\n"
    "};\n\n",
    "#ifdef CONFIG_@N_DEBUG\n"
    "static void @N_dump@K(const struct @N_priv *priv)\n"
    "{\n"
    "\tint i;\n"
    "\n"
    "\tfor (i = 0; i < priv->nr_regs; i++)\n"
    "\t\tpr_debug(\"reg %d = %08x '\\\"'\\n\", i, readl(priv->base + 4 * i));\n"
    "}\n"
    "#else\n"
    "static inline void @N_dump@K(const struct @N_priv *priv) { }\n"
    "#endif\n\n",
    "static int @N_ioctl@K(struct file *file, unsigned int cmd, unsigned long arg)\n"
    "{\n"
    "\tswitch (cmd) {\n"
    "\tcase @N_CMD_START:\n"
    "\t\treturn @N_start(file->private_data);\n"
    "\tcase @N_CMD_STOP:\n"
    "\t\t/* stopping twice is harmless */\n"
    "\t\treturn @N_stop(file->private_data);\n"
    "\tdefault:\n"
    "\t\tbreak;\n"
    "\t}\n"
    "\treturn -ENOTTY;\n"
    "}\n\n",
    "#define @N_REG@K(n)\t\t(0x100 + (n) * 4)\n"
    "#define @N_FLAG@K\t\tBIT(@K % 32)\n"
    "#define @N_WAIT@K(p, c)\t\t\\\n"
    "\tdo {\t\t\t\t\\\n"
    "\t\twhile (!(c))\t\t\\\n"
    "\t\t\tcpu_relax();\t\\\n"
    "\t} while (0)\n\n",
    "static const char *const @N_names@K[] = {\n"
    "\t\"idle\", \"busy /* still */\", \"http://example.org/x\", \"done\",\n"
    "};\n"
    "module_param(@N_level@K, int, 0644);\n"
    "MODULE_PARM_DESC(@N_level@K, \"level of detail (see the include file for values)\");\n\n",
};

constexpr const char* kHeaderSnippets[] = {
    "/*\n"
    " * struct @N_state@K - what one user of @N keeps\n"
    " * @flags: state bits, see the @N_FLAG_* values\n"
    " * @count: users\n"
    " */\n"
    "struct @N_state@K {\n"
    "\tunsigned long\t\tflags;\n"
    "\tint\t\t\tcount;\t/* protected by lock */\n"
    "\tspinlock_t\t\tlock;\n"
    "\tstruct list_head\tnode;\n"
    "};\n\n",
    "static inline int @N_test@K(const struct @N_state@K *s, int bit)\n"
    "{\n"
    "\treturn (s->flags >> bit) & 1;\n"
    "}\n\n",
    "#define @N_MAX@K\t\t\t64\n"
    "#define @N_MASK@K\t\t\t(@N_MAX@K - 1)\n"
    "#define @N_SHIFT@K\t\t\t6\n\n",
    "extern int @N_register@K(struct @N_state@K *s);\n"
    "extern void @N_unregister@K(struct @N_state@K *s);\n"
    "extern int @N_notify@K(struct @N_state@K *s, unsigned long event, void *data);\n\n",
    "enum @N_mode@K {\n"
    "\t@N_MODE_OFF@K,\t\t/* nothing runs */\n"
    "\t@N_MODE_ON@K,\n"
    "\t@N_MODE_AUTO@K,\t// decided at run time\n"
    "};\n\n",
};

// Appends `snippet` with "@N" and "@K" replaced.
void AppendSnippet(std::string_view snippet, std::string_view name, std::string_view counter,
                   std::string* out) {
  size_t start = 0;
  for (size_t at = snippet.find('@'); at != std::string_view::npos; at = snippet.find('@', start)) {
    out->append(snippet.substr(start, at - start));
    char key = at + 1 < snippet.size() ? snippet[at + 1] : '\0';
    if (key == 'N') {
      out->append(name);
    } else if (key == 'K') {
      out->append(counter);
    } else {
      out->push_back('@');
      start = at + 1;
      continue;
    }
    start = at + 2;
  }
  out->append(snippet.substr(start));
}

struct Header {
  std::string dir;     // relative to the root, ending in `\`
  std::string name;    // file name
  std::string prefix;  // folder part of an angle include ("linux/"); empty for local headers
  int level = 0;       // 0 core; 1..4 leaf to hub; 5 folder-local
  int folder = -1;     // source folder of a local header
  std::vector<int> includes;
  std::vector<std::string> unresolved;
};

class KernelGenerator {
 public:
  KernelGenerator(const KernelTreeShape& shape, const std::string& root)
      : shape_(shape), root_(root), random_(shape.seed) {}

  GeneratedTree Run() {
    MakeHeaders();
    MakeHeaderIncludes();
    ComputeClosures();
    MakeSources();
    PlaceUnresolved();
    return Write();
  }

 private:
  int Uniform(int low, int high) {
    if (high <= low) return low;
    return std::uniform_int_distribution<int>(low, high)(random_);
  }
  double Real() { return std::uniform_real_distribution<double>(0.0, 1.0)(random_); }
  template <typename T>
  const T& Any(const std::vector<T>& items) {
    return items[static_cast<size_t>(Uniform(0, static_cast<int>(items.size()) - 1))];
  }

  std::string UniqueName(const char* suffix) {
    for (;;) {
      std::string name = kWords[Uniform(0, std::size(kWords) - 1)];
      name += '_';
      name += kWords[Uniform(0, std::size(kWords) - 1)];
      if (Real() < 0.4) {
        name += '_';
        name += kWords[Uniform(0, std::size(kWords) - 1)];
      }
      if (used_names_.count(name) != 0) name += std::to_string(used_names_.size());
      if (used_names_.insert(name).second) return name + suffix;
    }
  }

  void MakeHeaders() {
    int locals = shape_.headers * 21 / 100;
    int global = shape_.headers - locals;
    int core = std::min(shape_.core, global);
    int rest = global - core;
    // Levels of the other global headers: leaves, two middle levels, hubs.
    int counts[5] = {core, rest * 40 / 100, rest * 30 / 100, rest * 22 / 100, 0};
    counts[4] = rest - counts[1] - counts[2] - counts[3];
    for (int level = 0; level < 5; ++level) {
      level_begin_[level] = static_cast<int>(headers_.size());
      for (int i = 0; i < counts[level]; ++i) {
        Header header;
        header.level = level;
        const HeaderFolder* folder = &kFolders[0];
        if (level == 0) {
          if (Real() < 0.25) folder = &kFolders[6];
        } else {
          double pick = Real();
          for (const HeaderFolder& f : kFolders) {
            folder = &f;
            if ((pick -= f.share) < 0) break;
          }
        }
        header.dir = folder->dir;
        header.prefix = folder->prefix;
        header.name = UniqueName(".h");
        headers_.push_back(std::move(header));
      }
    }
    level_begin_[5] = static_cast<int>(headers_.size());
    // Source folders: a few levels deep, as drivers\net\ethernet\x.
    for (int f = 0; f < shape_.source_folders; ++f) {
      std::string dir = kSourceFolders[f % std::size(kSourceFolders)];
      dir += '\\';
      dir += kWords[Uniform(0, std::size(kWords) - 1)];
      dir += std::to_string(f);
      if (Real() < 0.5) {
        dir += '\\';
        dir += kWords[Uniform(0, std::size(kWords) - 1)];
      }
      folders_.push_back(dir + "\\");
    }
    folder_locals_.resize(folders_.size());
    std::vector<std::set<std::string>> taken(folders_.size());
    for (int i = 0; i < locals; ++i) {
      int folder = Uniform(0, shape_.source_folders - 1);
      if (taken[folder].size() >= std::size(kLocalNames)) continue;
      Header header;
      header.level = 5;
      header.folder = folder;
      header.dir = folders_[folder];
      do {
        header.name = kLocalNames[Uniform(0, std::size(kLocalNames) - 1)];
      } while (!taken[folder].insert(header.name).second);
      folder_locals_[folder].push_back(static_cast<int>(headers_.size()));
      headers_.push_back(std::move(header));
    }
    level_begin_[6] = static_cast<int>(headers_.size());
  }

  // A header of `level` (a random one), or of ranks [low, high) when given.
  int OfLevel(int level) { return Uniform(level_begin_[level], level_begin_[level + 1] - 1); }
  int Below(int rank, int level, int window) {
    int low = std::max(level_begin_[level], rank - window);
    if (low >= rank) return -1;
    return Uniform(low, rank - 1);
  }
  // A core header of the lowest 40%, below the cycles.
  int CoreLow() {
    int end = level_begin_[0] + std::max(1, (level_begin_[1] - level_begin_[0]) * 40 / 100);
    return Uniform(level_begin_[0], end - 1);
  }
  int CoreTop() {
    int begin = level_begin_[0] + (level_begin_[1] - level_begin_[0]) * 85 / 100;
    return Uniform(begin, level_begin_[1] - 1);
  }

  void AddInclude(int from, int to) {
    if (to < 0 || to == from) return;
    std::vector<int>& list = headers_[from].includes;
    if (std::find(list.begin(), list.end(), to) == list.end()) list.push_back(to);
  }

  void MakeHeaderIncludes() {
    for (int h = 0; h < static_cast<int>(headers_.size()); ++h) {
      switch (headers_[h].level) {
        case 0:
          // One of the headers just below first: chains run through the
          // whole core, as deep as the real tree's. Up to five more close
          // below: paths of many lengths meet each cycle, so a full refresh
          // scans the cycles again at many depths, as on the real tree.
          AddInclude(h, Below(h, 0, 4));
          for (int k = Uniform(1, 5); k > 0; --k)
            AddInclude(h, Below(h, 0, 12));
          break;
        case 1:
          // Leaves stay below the cycles, as about four in ten real
          // headers do.
          for (int k = Uniform(1, 2); k > 0; --k)
            AddInclude(h, CoreLow());
          if (Real() < 0.5) AddInclude(h, Below(h, 1, 40));
          break;
        case 2:
          AddInclude(h, OfLevel(0));
          for (int k = Uniform(2, 3); k > 0; --k)
            AddInclude(h, OfLevel(1));
          if (Real() < 0.5) AddInclude(h, Below(h, 2, 40));
          break;
        case 3:
          AddInclude(h, OfLevel(0));
          for (int k = Uniform(2, 3); k > 0; --k)
            AddInclude(h, OfLevel(2));
          for (int k = Uniform(1, 2); k > 0; --k)
            AddInclude(h, OfLevel(1));
          if (Real() < 0.5) AddInclude(h, Below(h, 3, 40));
          break;
        case 4:
          for (int k = Uniform(1, 2); k > 0; --k)
            AddInclude(h, CoreTop());
          for (int k = Uniform(4, 8); k > 0; --k)
            AddInclude(h, OfLevel(3));
          for (int k = Uniform(2, 4); k > 0; --k)
            AddInclude(h, OfLevel(2));
          if (Real() < 0.5) AddInclude(h, Below(h, 4, 30));
          break;
        default: {
          const std::vector<int>& siblings = folder_locals_[headers_[h].folder];
          for (int s : siblings) {
            if (s < h && Real() < 0.4) AddInclude(h, s);
          }
          AddInclude(h, OfLevel(0));
          for (int k = Uniform(1, 3); k > 0; --k)
            AddInclude(h, OfLevel(Uniform(2, 3)));
          break;
        }
      }
    }
    // Guarded cycles among the core headers of the middle, which every
    // header above reaches: one of `largest_cycle` headers, the rest of 2 to
    // 5. The lowest header of each includes the highest.
    int core = level_begin_[1] - level_begin_[0];
    for (int c = 0; c < shape_.cycles && core >= 4; ++c) {
      int length = c == 0 ? shape_.largest_cycle : Uniform(2, c < 6 ? 5 : 2);
      length = std::min(length, core / 4);
      int top = level_begin_[0] + Uniform(core * 40 / 100 + length, core * 80 / 100);
      for (int k = 0; k + 1 < length; ++k)
        AddInclude(top - k, top - k - 1);
      AddInclude(top - length + 1, top);
    }
  }

  // Which headers each header reaches (itself included), as bit sets.
  void ComputeClosures() {
    words_ = (headers_.size() + 63) / 64;
    closure_.assign(headers_.size() * words_, 0);
    // Includes mostly point to lower ranks; a few passes settle the cycles.
    for (int pass = 0; pass < 3; ++pass) {
      for (size_t h = 0; h < headers_.size(); ++h) {
        uint64_t* set = &closure_[h * words_];
        set[h / 64] |= uint64_t{1} << (h % 64);
        for (int to : headers_[h].includes) {
          const uint64_t* other = &closure_[static_cast<size_t>(to) * words_];
          for (size_t w = 0; w < words_; ++w)
            set[w] |= other[w];
        }
      }
    }
  }

  void MakeSources() {
    int per_folder = std::max(1, shape_.sources / shape_.source_folders);
    std::vector<uint64_t> reached(words_);
    // Each folder draws on a set of its own of the middle and hub headers.
    std::vector<std::vector<int>> affinity(folders_.size());
    for (std::vector<int>& set : affinity) {
      for (int k = 0; k < 24; ++k)
        set.push_back(OfLevel(Real() < 0.35 ? 4 : Uniform(2, 3)));
    }
    for (int s = 0; s < shape_.sources; ++s) {
      int folder = std::min(s / per_folder, shape_.source_folders - 1);
      Source source;
      source.folder = folder;
      source.name = UniqueName(".c");
      std::fill(reached.begin(), reached.end(), 0);
      size_t count = 0;
      // Adds an include of header `h` unless it brings nothing new, or (with
      // `limit`) more than `limit` headers in all.
      auto include = [&](int h, size_t limit) {
        const uint64_t* set = &closure_[static_cast<size_t>(h) * words_];
        size_t gain = 0;
        for (size_t w = 0; w < words_; ++w)
          gain += static_cast<size_t>(__builtin_popcountll(set[w] & ~reached[w]));
        if (gain == 0 || count + gain > limit) return;
        source.includes.push_back(h);
        count += gain;
        for (size_t w = 0; w < words_; ++w)
          reached[w] |= set[w];
      };
      for (int k = Uniform(2, 3); k > 0; --k)
        include(CoreTop(), SIZE_MAX);
      // The folder's headers below add about a seventh.
      size_t target = static_cast<size_t>(shape_.mean_closure * 0.87 * (0.5 + Real()));
      for (int attempt = 0; attempt < 400 && count < target && source.includes.size() < 60;
           ++attempt) {
        include(Real() < 0.7 ? Any(affinity[folder]) : OfLevel(Uniform(2, 4)), target * 11 / 10);
      }
      // The folder's own headers come last, as in most drivers.
      for (int local : folder_locals_[folder]) {
        if (Real() < 0.7) include(local, SIZE_MAX);
      }
      sources_.push_back(std::move(source));
    }
  }

  void PlaceUnresolved() {
    for (int u = 0; u < shape_.unresolved; ++u) {
      std::string name = "asm/mr_" + std::string(kWords[Uniform(0, std::size(kWords) - 1)]) +
                         std::to_string(u) + ".h";
      // Most in sources; some in the headers of a folder.
      if (Real() < 0.85 || level_begin_[5] == static_cast<int>(headers_.size())) {
        sources_[static_cast<size_t>(Uniform(0, static_cast<int>(sources_.size()) - 1))]
            .unresolved.push_back(name);
      } else {
        headers_[static_cast<size_t>(OfLevel(5))].unresolved.push_back(name);
      }
    }
  }

  struct Source {
    int folder = 0;
    std::string name;
    std::vector<int> includes;
    std::vector<std::string> unresolved;
  };

  // How `from` includes header `to`.
  std::string IncludeLine(const std::string& from_dir, int to) {
    const Header& header = headers_[static_cast<size_t>(to)];
    if (header.level == 5) return "#include \"" + header.name + "\"\n";
    // Siblings in a global folder: sometimes quoted (found in the including
    // file's own folder).
    if (header.dir == from_dir && Real() < 0.3) return "#include \"" + header.name + "\"\n";
    return "#include <" + header.prefix + header.name + ">\n";
  }

  static std::string Guard(const Header& header) {
    std::string guard = "_" + header.prefix + header.name;
    for (char& c : guard) {
      c = (c == '/' || c == '.' || c == '-') ? '_' : static_cast<char>(std::toupper(c));
    }
    return guard;
  }

  static void Unresolved(const std::vector<std::string>& names, std::string* text) {
    for (const std::string& name : names) {
      *text += "\n#ifdef CONFIG_MR_" + std::to_string(name.size()) + "\n#include <" + name +
               ">\n#endif\n";
    }
  }

  // Fills `text` to about `size` bytes with code of file `name`.
  void Fill(const std::string& name, size_t size, bool header, std::string* text) {
    std::string base = name.substr(0, name.find('.'));
    const char* const* snippets = header ? kHeaderSnippets : kSourceSnippets;
    size_t count = header ? std::size(kHeaderSnippets) : std::size(kSourceSnippets);
    for (int k = 0; text->size() < size; ++k) {
      AppendSnippet(snippets[static_cast<size_t>(Uniform(0, static_cast<int>(count) - 1))], base,
                    std::to_string(k), text);
    }
  }

  // `count` sizes spread as in real code (log-normal: the median, and the
  // spread that gives the real tree's mean), scaled to `total`; the largest
  // is `largest`.
  std::vector<size_t> Sizes(size_t count, double median, double sigma, size_t total,
                            size_t largest) {
    std::lognormal_distribution<double> size(std::log(median), sigma);
    std::vector<double> drawn;
    for (size_t i = 0; i < count; ++i)
      drawn.push_back(size(random_));
    double cap = static_cast<double>(largest);
    double scale = 1.0;
    for (int pass = 0; pass < 4; ++pass) {
      double sum = 0;
      for (double d : drawn)
        sum += std::min(cap, d * scale);
      scale *= static_cast<double>(total) / sum;
    }
    std::vector<size_t> sizes;
    for (double d : drawn)
      sizes.push_back(static_cast<size_t>(std::min(cap, d * scale)));
    auto top = std::max_element(sizes.begin(), sizes.end());
    if (top != sizes.end()) *top = largest;
    return sizes;
  }

  GeneratedTree Write() {
    GeneratedTree tree;
    tree.root = root_;
    for (const char* dir : kIncludeDirs)
      tree.include_dirs.push_back(dir);
    size_t header_bytes = std::min(shape_.header_bytes, shape_.total_bytes);
    std::vector<size_t> sizes =
        Sizes(sources_.size(), 12000, 1.2, shape_.total_bytes - header_bytes, shape_.largest_file);
    std::vector<size_t> header_sizes =
        Sizes(headers_.size(), 2600, 1.45, header_bytes, shape_.largest_header);
    sizes.insert(sizes.end(), header_sizes.begin(), header_sizes.end());
    for (size_t s = 0; s < sources_.size(); ++s) {
      const Source& source = sources_[s];
      const std::string& dir = folders_[static_cast<size_t>(source.folder)];
      std::string text = "// SPDX-License-Identifier: GPL-2.0\n/*\n * " + dir + source.name +
                         " - part of the " + dir +
                         " subsystem\n *\n"
                         " * Copyright (C) The Authors\n */\n\n"
                         "#define pr_fmt(fmt) KBUILD_MODNAME \": \" fmt\n\n";
      for (int h : source.includes)
        text += IncludeLine(dir, h);
      Unresolved(source.unresolved, &text);
      text += '\n';
      Fill(source.name, sizes[s], false, &text);
      std::string path = root_ + dir + source.name;
      tree.sources.push_back(path);
      tree.files.push_back({path, std::move(text)});
    }
    for (size_t h = 0; h < headers_.size(); ++h) {
      const Header& header = headers_[h];
      std::string guard = Guard(header);
      std::string text = "/* SPDX-License-Identifier: GPL-2.0 */\n#ifndef " + guard + "\n#define " +
                         guard + "\n\n";
      for (int to : header.includes)
        text += IncludeLine(header.dir, to);
      Unresolved(header.unresolved, &text);
      text += '\n';
      Fill(header.name, sizes[sources_.size() + h], true, &text);
      text += "#endif /* " + guard + " */\n";
      tree.files.push_back({root_ + header.dir + header.name, std::move(text)});
    }
    tree.header_count = headers_.size();
    for (const GeneratedFile& file : tree.files)
      tree.total_bytes += file.text.size();
    return tree;
  }

  KernelTreeShape shape_;
  std::string root_;
  std::mt19937 random_;
  std::unordered_set<std::string> used_names_;
  std::vector<Header> headers_;
  int level_begin_[7] = {};  // where each level's headers begin; [6]: the end
  std::vector<std::string> folders_;
  std::vector<std::vector<int>> folder_locals_;
  std::vector<Source> sources_;
  size_t words_ = 0;
  std::vector<uint64_t> closure_;
};

}  // namespace

GeneratedTree GenerateKernelTree(const KernelTreeShape& shape, const std::string& root) {
  return KernelGenerator(shape, root).Run();
}

std::string KernelProjectText(const GeneratedTree& tree) {
  std::string text;
  auto line = [&text](const std::string& s) { text += s + "\r\n"; };
  line("[PROJECT]");
  line("OUTPUT=vmlinux.abs");
  line("CPU=MR44A");
  line("CPUFAMILY=MR44A");
  line("TARGET=Debug;");
  text += ProjectFolderLines(tree, [](size_t f) { return "F" + std::to_string(f); });
  std::string includes;
  for (const std::string& dir : tree.include_dirs)
    includes += " -I" + dir;
  line("[PROJECT!MACRO!Debug]");
  line("DefaultCompile=-O2" + includes);
  return text;
}

}  // namespace zelvan::bench
