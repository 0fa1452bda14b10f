#include "bench/c_tree_generator.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace zelvan::bench {

namespace {

class Rng {
 public:
  explicit Rng(uint32_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint64_t Next() {
    state_ += 0x9E3779B97F4A7C15ull;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  int Between(int low, int high) { return low + Below(high - low + 1); }
  bool Percent(int percent) { return Below(100) < percent; }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(static_cast<int>(N))];
  }

 private:
  uint64_t state_;
};

constexpr const char* kModules[] = {"uart", "spi",  "i2c",  "dma",   "gpio", "timer", "adc",
                                    "pwm",  "can",  "usb",  "flash", "rtc",  "wdt",   "crc",
                                    "aes",  "eth",  "lcd",  "touch", "sai",  "motor", "qspi",
                                    "sdio", "nand", "hash", "rng",   "dac",  "comp",  "lptim"};
constexpr const char* kVerbs[] = {
    "init",    "read",  "write",  "start",  "stop",   "reset",    "config",  "enable",
    "disable", "poll",  "handle", "flush",  "probe",  "remove",   "suspend", "resume",
    "get",     "set",   "update", "check",  "clear",  "wait",     "load",    "save",
    "map",     "unmap", "lock",   "unlock", "submit", "complete", "abort",   "sync",
    "open",    "close", "attach", "detach", "select", "apply",    "scan",    "parse"};
constexpr const char* kNouns[] = {"status",  "mode",    "fifo",  "irq",    "clock", "buffer",
                                  "channel", "config",  "rate",  "state",  "queue", "regs",
                                  "stats",   "timeout", "power", "pins",   "dma",   "frame",
                                  "packet",  "desc",    "ring",  "window", "range", "limits",
                                  "errors",  "events",  "ctx",   "phase",  "level", "table"};
constexpr const char* kResults[] = {"int",     "void", "u32", "bool",          "size_t",
                                    "ssize_t", "u8",   "s32", "unsigned long", "int"};

// Text with its line count, so a definition's line is known as it is written.
class Emitter {
 public:
  void Add(std::string_view text) {
    text_ += text;
    lines_ += static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }
  int Line() const { return lines_ + 1; }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
  int lines_ = 0;
};

class ModuleWriter {
 public:
  ModuleWriter(Rng& rng, std::string module, GeneratedCTree* tree)
      : rng_(rng), m_(std::move(module)), tree_(tree) {}

  void Write(size_t* bytes) {
    std::string dir = "drivers/" + m_ + "/";
    int sources = rng_.Between(2, 4);
    static constexpr const char* kParts[] = {"core", "hw", "irq", "proto"};
    std::vector<GeneratedCFile> files;
    // The sources first, so the header can declare their exported functions.
    for (int i = 0; i < sources; ++i) {
      std::string path = dir + m_ + "_" + kParts[i] + ".c";
      files.push_back({path, Source(path, kParts[i])});
    }
    std::string header_path = dir + m_ + ".h";
    tree_->files.push_back({header_path, Header(header_path)});
    *bytes += tree_->files.back().text.size();
    for (GeneratedCFile& file : files) {
      *bytes += file.text.size();
      tree_->files.push_back(std::move(file));
    }
  }

 private:
  std::string Upper() const {
    std::string upper = m_;
    for (char& c : upper)
      c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return upper;
  }

  void Record(Emitter& out, const std::string& file, const std::string& name,
              DefinitionShape shape) {
    tree_->definitions.push_back({file, out.Line(), name, shape});
  }

  std::string NewName() {
    for (;;) {
      std::string name = m_ + "_" + rng_.Pick(kVerbs) + "_" + rng_.Pick(kNouns);
      if (names_.count(name) != 0) name += std::to_string(names_.size());
      if (names_.insert(name).second) return name;
    }
  }

  std::string Parameter() {
    const std::string kinds[] = {"struct " + m_ + "_dev *dev",
                                 "u32 flags",
                                 "const u8 *buf",
                                 "size_t len",
                                 "int timeout_ms",
                                 "void *ctx",
                                 "enum " + m_ + "_mode mode",
                                 "unsigned int index",
                                 "const struct " + m_ + "_cfg *cfg",
                                 "u8 channel"};
    return kinds[rng_.Below(10)];
  }
  std::vector<std::string> Parameters(int count) {
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i) {
      std::string p = Parameter();
      if (std::find(list.begin(), list.end(), p) == list.end()) list.push_back(p);
    }
    return list;
  }
  static std::string Join(const std::vector<std::string>& list, const std::string& glue) {
    if (list.empty()) return "void";
    std::string text;
    for (size_t i = 0; i < list.size(); ++i)
      text += (i ? glue : "") + list[i];
    return text;
  }

  // --- Bodies.

  std::string Indent(int depth) { return std::string(static_cast<size_t>(depth), '\t'); }

  void Statements(Emitter& out, int depth, int count) {
    for (int i = 0; i < count; ++i)
      Statement(out, depth);
  }

  void Statement(Emitter& out, int depth) {
    std::string t = Indent(depth);
    const std::string& m = m_;
    std::string M = Upper();
    int pick = rng_.Below(depth >= 3 ? 12 : 24);
    switch (pick) {
      case 0:
        out.Add(t + "u32 val = " + m + "_readl(dev, " + M + "_REG_STATUS);\n");
        break;
      case 1:
        out.Add(t + "if (!dev)\n" + t + "\treturn -EINVAL;\n");
        break;
      case 2:
        out.Add(t + m + "_log(dev, \"state {%d} -> {%d}\\n\", old_state, dev->state);\n");
        break;
      case 3:
        out.Add(t + "if (c == '{' || c == '}')\n" + t + "\tdepth += (c == '{') ? 1 : -1;\n");
        break;
      case 4:
        out.Add(t + "/* the FIFO holds { at most " + std::to_string(rng_.Between(4, 64)) +
                " } words; see the reference manual */\n");
        break;
      case 5:
        out.Add(t + "memset(&dev->stats, 0, sizeof(struct " + m + "_stats));\n");
        break;
      case 6:
        out.Add(t + "dev->mode = (flags & " + M + "_FAST) ? " + M + "_MODE_FAST : " + M +
                "_MODE_SLOW; // '}' never reaches here\n");
        break;
      case 7:
        out.Add(t + "u8 buf[" + M + "_BUF_SIZE] = { 0 };\n");
        break;
      case 8:
        out.Add(t + "if (dev->ops && dev->ops->open)\n" + t + "\tret = dev->ops->open(dev);\n");
        break;
      case 9:
        out.Add(t + "if (ret == -EAGAIN && retries-- > 0)\n" + t + "\tgoto again;\n");
        break;
      case 10:
        out.Add(t + "*cfg_out = (struct " + m + "_cfg){ .baud = 115200, .bits = 8 };\n");
        break;
      case 11:
        out.Add(t + "__asm__ volatile (\"nop\");\n");
        break;
      case 12:
      case 13:
        out.Add(t + "if (val == " + M + "_READY) {\n");
        Statements(out, depth + 1, rng_.Between(1, 3));
        if (rng_.Percent(50)) {
          out.Add(t + "} else if (val & " + M + "_ERR) {\n");
          Statements(out, depth + 1, rng_.Between(1, 2));
        }
        if (rng_.Percent(40)) {
          out.Add(t + "} else {\n");
          Statements(out, depth + 1, 1);
        }
        out.Add(t + "}\n");
        break;
      case 14:
        out.Add(t + "for (i = 0; i < len; i++) {\n");
        Statements(out, depth + 1, rng_.Between(1, 3));
        out.Add(t + "}\n");
        break;
      case 15:
        out.Add(t + "while ((val = " + m + "_readl(dev, " + M + "_REG_STATUS)) & " + M +
                "_BUSY) {\n" + t + "\tcpu_relax();\n");
        Statements(out, depth + 1, rng_.Between(0, 1));
        out.Add(t + "}\n");
        break;
      case 16:
        out.Add(t + "switch (cmd) {\n" + t + "case " + M + "_CMD_START:\n");
        Statements(out, depth + 1, rng_.Between(1, 2));
        out.Add(t + "\tbreak;\n" + t + "case " + M + "_CMD_STOP: {\n" + t +
                "\tint left = " + std::to_string(rng_.Between(1, 9)) + ";\n");
        Statements(out, depth + 1, 1);
        out.Add(t + "\tbreak;\n" + t + "}\n" + t + "default:\n" + t + "\tret = -EINVAL;\n" + t +
                "}\n");
        break;
      case 17:
        out.Add(t + "do {\n");
        Statements(out, depth + 1, rng_.Between(1, 2));
        out.Add(t + "} while (--retries);\n");
        break;
      case 18:
        out.Add(t + "{\n" + t + "\tint tmp = a;\n" + t + "\ta = b;\n" + t + "\tb = tmp;\n" + t +
                "}\n");
        break;
      case 19:
        out.Add("#ifdef CONFIG_" + M + "_DEBUG\n" + t + m + "_dump(dev, \"" + m +
                ": {\");\n#endif\n");
        break;
      case 20:
        out.Add(t + "struct " + m + "_cfg cfg = {\n" + t + "\t.baud = 9600,\n" + t +
                "\t.bits = 8,\n" + t + "};\n");
        break;
      case 21:
        out.Add(t + "if (dev->state == " + M + "_IDLE && !(flags & " + M + "_FORCE))\n" + t +
                "\treturn 0;\n");
        break;
      case 22:
        out.Add(t + "ret = " + m + "_xfer(dev, buf, sizeof(buf), " + M + "_TIMEOUT);\n" + t +
                "if (ret < 0) {\n" + t + "\t" + m + "_log(dev, \"xfer failed: %d\\n\", ret);\n" +
                t + "\tgoto out;\n" + t + "}\n");
        break;
      default:
        out.Add(t + "dev->stats.count[index & 7]++;\n");
        break;
    }
  }

  void Body(Emitter& out, bool returns_value) {
    out.Add("\tint ret = 0;\n");
    Statements(out, 1, rng_.Between(3, 14));
    if (rng_.Percent(25)) {
      out.Add("out:\n\t" + m_ + "_unlock(dev);\n");
    }
    out.Add(returns_value ? "\treturn ret;\n}\n\n" : "}\n\n");
  }

  // --- Definitions.

  // Writes one definition; returns its prototype when the header is to
  // declare it.
  std::string Definition(Emitter& out, const std::string& file) {
    std::string name = NewName();
    std::string result = rng_.Pick(kResults);
    bool is_static = rng_.Percent(55);
    std::string storage = is_static ? "static " : "";
    std::vector<std::string> params = Parameters(rng_.Between(0, 4));
    std::string M = Upper();
    bool value = result != "void";
    int shape = rng_.Below(1000);
    std::string prototype =
        is_static ? std::string() : result + " " + name + "(" + Join(params, ", ") + ");";
    if (shape < 400) {
      out.Add(storage + result + " ");
      Record(out, file, name, DefinitionShape::kPlain);
      out.Add(name + "(" + Join(params, ", ") + ")\n{\n");
    } else if (shape < 550) {
      out.Add(storage + result + "\n");
      Record(out, file, name, DefinitionShape::kGnuStyle);
      out.Add(name + " (" + Join(params, ", ") + ")\n{\n");
    } else if (shape < 650) {
      Record(out, file, name, DefinitionShape::kBraceOnLine);
      out.Add(storage + result + " " + name + "(" + Join(params, ", ") + ") {\n");
    } else if (shape < 730) {
      prototype.clear();
      if (rng_.Percent(50)) {
        out.Add(storage + "struct " + m_ + "_buf *\n");
        Record(out, file, name, DefinitionShape::kPointerResult);
        out.Add(name + "(" + Join(params, ", ") + ")\n{\n");
      } else {
        Record(out, file, name, DefinitionShape::kPointerResult);
        out.Add(storage + "const char *" + name + "(" + Join(params, ", ") + ")\n{\n");
      }
      value = true;
    } else if (shape < 790) {
      params = {"struct " + m_ + "_dev *dev", "const u8 *tx", "u8 *rx", "size_t len"};
      if (!is_static) prototype = result + " " + name + "(" + Join(params, ", ") + ");";
      Record(out, file, name, DefinitionShape::kMultiLineParams);
      std::string pad(storage.size() + result.size() + name.size() + 2, ' ');
      out.Add(storage + result + " " + name + "(" + params[0] + ",\n" + pad + params[1] + ", " +
              params[2] + ",\n" + pad + params[3] + ")\n{\n");
    } else if (shape < 840) {
      prototype.clear();
      Record(out, file, name, DefinitionShape::kFunctionPointerParam);
      out.Add(storage + "int " + name + "(struct " + m_ + "_dev *dev, void (*cb)(struct " + m_ +
              "_dev *, int), void *ctx)\n{\n");
      value = true;
    } else if (shape < 880) {
      prototype.clear();
      int form = rng_.Below(3);
      if (form == 0) {
        Record(out, file, name, DefinitionShape::kAttributes);
        out.Add("__attribute__((weak)) void " + name + "(" + Join(params, ", ") + ")\n{\n");
        value = false;
      } else if (form == 1) {
        out.Add("static void __attribute__((unused))\n");
        Record(out, file, name, DefinitionShape::kAttributes);
        out.Add(name + "(" + Join(params, ", ") + ")\n{\n");
        value = false;
      } else {
        Record(out, file, name, DefinitionShape::kAttributes);
        out.Add(storage + result + " __attribute__ ((noinline, section(\".text." + m_ + "\"))) " +
                name + "(" + Join(params, ", ") + ")\n{\n");
      }
    } else if (shape < 920) {
      static constexpr const char* kMacros[] = {"%_API ", "static __always_inline ",
                                                "static noinline ", "__init "};
      std::string macro = rng_.Pick(kMacros);
      if (macro[0] == '%') macro = M + macro.substr(1);
      if (macro.compare(0, 7, "static ") == 0) prototype.clear();
      Record(out, file, name, DefinitionShape::kMacroBefore);
      out.Add(macro + result + " " + name + "(" + Join(params, ", ") + ")\n{\n");
    } else if (shape < 950) {
      prototype.clear();
      out.Add("static enum " + m_ + "_state\n");
      Record(out, file, name, DefinitionShape::kEnumResult);
      out.Add(name + "(struct " + m_ + "_dev *dev, u32 event)\n{\n");
      value = true;
    } else if (shape < 960) {
      out.Add("static int\n");
      Record(out, file, name, DefinitionShape::kKnr);
      out.Add(name + "(dev, flags)\nstruct " + m_ + "_dev *dev;\nu32 flags;\n{\n");
      Body(out, true);
      return std::string();
    } else if (shape < 965) {
      Record(out, file, name, DefinitionShape::kFunctionPointerResult);
      out.Add("static void (*" + name + "(unsigned int index))(struct " + m_ +
              "_dev *)\n{\n\treturn " + m_ + "_handlers[index & 3];\n}\n\n");
      return std::string();
    } else if (shape < 985) {
      // A configuration option with a stub for when it is off.
      out.Add("#ifdef CONFIG_" + M + "_" + std::to_string(rng_.Below(100)) + "\n" + storage +
              "int ");
      Record(out, file, name, DefinitionShape::kFirstBranch);
      out.Add(name + "(struct " + m_ + "_dev *dev)\n{\n");
      Body(out, true);
      out.Add("#else\n" + storage + "int ");
      Record(out, file, name, DefinitionShape::kElseBranch);
      out.Add(name + "(struct " + m_ + "_dev *dev)\n{\n\treturn -ENOSYS;\n}\n#endif\n\n");
      return is_static ? std::string() : "int " + name + "(struct " + m_ + "_dev *dev);";
    } else if (shape < 990) {
      out.Add("#ifndef CONFIG_" + M + "_NO_" + std::to_string(rng_.Below(100)) + "\n");
      Record(out, file, name, DefinitionShape::kIfndefBranch);
      out.Add("void " + name + "(struct " + m_ + "_dev *dev)\n{\n");
      Body(out, false);
      out.Add("#endif\n\n");
      return "void " + name + "(struct " + m_ + "_dev *dev);";
    } else if (shape < 995) {
      out.Add("#if 0\n/* kept for the next board revision */\n");
      Record(out, file, name, DefinitionShape::kIfZero);
      out.Add("static void " + name + "(struct " + m_ + "_dev *dev)\n{\n");
      Body(out, false);
      out.Add("#endif\n\n");
      return std::string();
    } else {
      Record(out, file, M + "_IRQ_HANDLER", DefinitionShape::kMacroDefined);
      out.Add(M + "_IRQ_HANDLER(" + name + ")\n{\n");
      Body(out, false);
      return std::string();
    }
    Body(out, value);
    return prototype;
  }

  // File-level text between definitions.
  void Item(Emitter& out) {
    const std::string& m = m_;
    std::string M = Upper();
    switch (rng_.Below(10)) {
      case 0: {
        out.Add("static const u16 " + m + "_table_" + std::to_string(out.Line()) + "[] = {\n");
        for (int row = 0; row < rng_.Between(2, 8); ++row) {
          out.Add("\t");
          for (int i = 0; i < 8; ++i)
            out.Add("0x" + std::to_string(1000 + rng_.Below(8999)) + ", ");
          out.Add("\n");
        }
        out.Add("};\n\n");
        break;
      }
      case 1:
        out.Add("static const struct " + m + "_ops " + m + "_ops_" + std::to_string(out.Line()) +
                " = {\n\t.open = " + m + "_open,\n\t.close = " + m + "_close,\n\t.xfer = " + m +
                "_xfer,\n};\n\n");
        break;
      case 2:
        out.Add("#define " + M + "_WAIT_" + std::to_string(out.Line()) +
                "(dev, cond)\t\t\\\n\tdo {\t\t\t\t\\\n\t\tint __n = " + M +
                "_TIMEOUT;\t\t\\\n\t\twhile (!(cond) && --__n)\t\\\n\t\t\tcpu_relax();\t\t\\\n"
                "\t} while (0)\n\n");
        break;
      case 3:
        out.Add("static int " + m + "_helper_" + std::to_string(out.Line()) + "(struct " + m +
                "_dev *dev, u32 flags);\n");
        break;
      case 4:
        out.Add("static DEFINE_SPINLOCK(" + m + "_lock_" + std::to_string(out.Line()) + ");\n");
        break;
      case 5:
        out.Add("/*\n * Register access goes through " + m +
                "_readl() and friends { never directly }.\n */\n");
        break;
      case 6:
        out.Add("static int " + m + "_debug_" + std::to_string(out.Line()) + " = " +
                std::to_string(rng_.Below(3)) + ", *" + m + "_ptr_" + std::to_string(out.Line()) +
                ";\n");
        break;
      case 7:
        out.Add("static const char *const " + m + "_names_" + std::to_string(out.Line()) +
                "[] = { \"idle{\", \"busy}\", \"error\" };\n");
        break;
      case 8:
        out.Add("typedef int (*" + m + "_filter_" + std::to_string(out.Line()) +
                "_t)(const u8 *buf, size_t len);\n");
        break;
      default:
        out.Add("static enum {\n\t" + M + "_PHASE_A_" + std::to_string(out.Line()) +
                " = (1 << 0),\n\t" + M + "_PHASE_B_" + std::to_string(out.Line()) +
                " = (1 << 1),\n} " + m + "_phase_" + std::to_string(out.Line()) + ";\n");
        break;
    }
  }

  std::string Source(const std::string& path, const char* part) {
    Emitter out;
    std::string M = Upper();
    out.Add("/*\n * " + m_ + " driver, " + part +
            " part.\n *\n * Written for the function-list benchmark; any resemblance to a real "
            "driver is the shape of C itself.\n */\n\n#include <string.h>\n#include \"drivers/" +
            m_ + "/" + m_ + ".h\"\n\n#define " + M + "_TIMEOUT 1000\n\n");
    int definitions = rng_.Between(15, 60);
    for (int i = 0; i < definitions; ++i) {
      if (rng_.Percent(35)) Item(out);
      std::string prototype = Definition(out, path);
      if (!prototype.empty()) {
        exported_.push_back(prototype);
        if (rng_.Percent(30)) {
          std::string name = prototype.substr(0, prototype.find('('));
          out.Add("EXPORT_SYMBOL(" + name.substr(name.rfind(' ') + 1) + ");\n\n");
        }
      }
    }
    return out.Take();
  }

  std::string Header(const std::string& path) {
    Emitter out;
    std::string M = Upper();
    const std::string& m = m_;
    out.Add("/*\n * " + m + " driver interface.\n */\n#ifndef DRIVERS_" + M +
            "_H\n#define DRIVERS_" + M +
            "_H\n\n#include <stdint.h>\n#include <stddef.h>\n\n#ifdef __cplusplus\nextern \"C\" {\n"
            "#endif\n\n#define " +
            M + "_API\n#define " + M + "_REG_STATUS 0x04\n#define " + M +
            "_IRQ_HANDLER(name) void name(void)\n#ifndef " + M + "_BUF_SIZE\n#define " + M +
            "_BUF_SIZE 64\n#endif\n\n");
    out.Add("enum " + m + "_state {\n\t" + M + "_IDLE = 0,\n\t" + M + "_BUSY = (1 << 0),\n\t" + M +
            "_READY = (1 << 1),\n\t" + M + "_ERR = (1 << 2),\n};\n\n");
    out.Add("enum " + m + "_mode { " + M + "_MODE_SLOW, " + M + "_MODE_FAST };\n\n");
    out.Add("struct " + m +
            "_cfg {\n\tu32 baud;\n\tu8 bits;\n\tunion {\n\t\tu32 raw;\n\t\tstruct {\n"
            "\t\t\tu32 en : 1;\n\t\t\tu32 dir : 1;\n\t\t} f;\n\t} ctrl;\n};\n\n");
    out.Add("struct " + m + "_dev;\n\nstruct " + m + "_ops {\n\tint (*open)(struct " + m +
            "_dev *dev);\n\tvoid (*close)(struct " + m + "_dev *dev);\n\tssize_t (*xfer)(struct " +
            m + "_dev *dev, const u8 *buf, size_t len);\n};\n\n");
    out.Add("typedef void (*" + m + "_cb_t)(struct " + m + "_dev *dev, int event);\n\n");
    for (const std::string& prototype : exported_)
      out.Add(prototype + "\n");
    out.Add("\n");
    // Accessors.
    int accessors = rng_.Between(2, 8);
    for (int i = 0; i < accessors; ++i) {
      std::string name = NewName();
      if (rng_.Percent(50)) {
        out.Add("static inline u32 ");
        Record(out, path, name, DefinitionShape::kInlineInHeader);
        out.Add(name + "(const struct " + m +
                "_dev *dev, u32 reg)\n{\n\treturn *(volatile u32 *)(dev->base + reg);\n}\n\n");
      } else {
        Record(out, path, name, DefinitionShape::kInlineInHeader);
        out.Add("static inline void " + name + "(struct " + m +
                "_dev *dev, u32 reg, u32 val) { *(volatile u32 *)(dev->base + reg) = val; }\n\n");
      }
    }
    // Configuration stubs.
    int stubs = rng_.Between(0, 2);
    for (int i = 0; i < stubs; ++i) {
      std::string name = NewName();
      out.Add("#ifdef CONFIG_" + M + "_PM" + std::to_string(i) + "\nint " + name + "(struct " + m +
              "_dev *dev);\n#else\nstatic inline int ");
      Record(out, path, name, DefinitionShape::kElseBranch);
      out.Add(name + "(struct " + m + "_dev *dev) { return 0; }\n#endif\n\n");
    }
    out.Add("#ifdef __cplusplus\n}\n#endif\n\n#endif /* DRIVERS_" + M + "_H */\n");
    return out.Take();
  }

  Rng& rng_;
  std::string m_;
  GeneratedCTree* tree_;
  std::set<std::string> names_;
  std::vector<std::string> exported_;
};

}  // namespace

const char* ShapeName(DefinitionShape shape) {
  static constexpr const char* kNames[] = {
      "plain",
      "GNU style (type on its own line)",
      "brace on the header line",
      "pointer result",
      "parameters over several lines",
      "function pointer parameter",
      "__attribute__",
      "API macro before the type",
      "enum result",
      "K&R parameters",
      "function pointer result",
      "static inline in a guarded header",
      "first branch of #ifdef CONFIG_",
      "#else stub of #ifdef CONFIG_",
      "inside #ifndef CONFIG_ (no guard)",
      "inside #if 0",
      "macro that expands to a definition",
  };
  return kNames[static_cast<int>(shape)];
}

GeneratedCTree GenerateCTree(size_t bytes, uint32_t seed) {
  GeneratedCTree tree;
  Rng rng(seed);
  constexpr size_t kBases = sizeof(kModules) / sizeof(kModules[0]);
  for (size_t i = 0; tree.total_bytes < bytes; ++i) {
    std::string module = kModules[i % kBases];
    if (i >= kBases) module += std::to_string(i / kBases);
    ModuleWriter(rng, module, &tree).Write(&tree.total_bytes);
  }
  return tree;
}

}  // namespace zelvan::bench
