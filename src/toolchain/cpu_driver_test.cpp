#include "toolchain/cpu_driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "tests/support/toolchain_platform.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan {
namespace {

TEST(CpuDriverTableTest, CompilerByCpuAndHomeVariable) {
  const struct {
    const char* cpu;
    const char* home_variable;  // null: none given
    const char* compiler;
  } cases[] = {
      {"MR44", nullptr, "cc52i.exe"},  // the first MR44 row
      {"mr44", "khome52ip", "cc52ip.exe"},
      {"MR44", "KHOME520", ""},
      {"MX-520", nullptr, "cc520.exe"},
      {"mx-310/p1", nullptr, "cc310p.exe"},
      {"MR44A", nullptr, "ccmr.exe"},
      {"MX-520/S", nullptr, ""},  // not in the table
      {"", nullptr, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.cpu) + " / " + (c.home_variable ? c.home_variable : "(none)"));
    std::optional<std::string_view> variable;
    if (c.home_variable) variable = c.home_variable;
    EXPECT_EQ(GetCompilerExe(c.cpu, variable), c.compiler);
  }
}

// What the test driver library recorded (testdata/check_option_driver.c).
struct CheckOptionCall {
  int calls;
  int form;
  int argc;
  char args[16][128];
  int argv_terminated;
  int mode_word;
  int reserved_is_null;
  char home[512];
  int message_slot_given;
  unsigned code;
  int flags;
};

class CheckOptionsWithDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // One family per argument form, and the ways a driver can be missing.
    Install("MX-520", "KHOME520", "H520", "cc520", "qkdriver.dll", ZELVAN_TEST_DRIVER_FORM0);
    Install("MR44A", "KHOME44A", "H44A", "ccmr", "QkDriver44A.DLL", ZELVAN_TEST_DRIVER_FORM1);
    Install("MR44", "KHOME52IP", "H52IP", "cc52ip", "QkDriver52IP.DLL", ZELVAN_TEST_DRIVER_FORM2);
    Install("MX-520/R", "KHOME52I", "H52I", "cc52i", "QkDriver52I.DLL",
            ZELVAN_TEST_NO_CHECK_OPTION);
    Install("MX-520/S", "KHOME520", "HBROKEN", "cc520", "QkDriver.DLL", nullptr);
    Install("MX-310/P", "KHOME310P", "H310", "cc310p", nullptr, nullptr);
    Install("K310SA1", "KHOME310SA", "HSA", "cc310sa", nullptr, nullptr);
    tools_.LoadCpuTools();
  }

  // A family whose secondary home holds its compiler and, when `driver` is
  // given, a copy of `library` under that name (without `library`, a file
  // that is no library).
  void Install(const std::string& cpu, const std::string& variable, const std::string& home,
               const std::string& cc, const char* driver, const char* library) {
    std::string ini_name;
    for (char c : cpu) {
      if (c != '/') ini_name += c;
    }
    env_.Write("Inst\\Config\\Builder\\Template\\" + ini_name + ".ini",
               "[TOOLS]\nCC=" + cc + "\n[KHOMExx]\nNAME=" + variable + "\nFILE=1\nFILE0=T:\\" +
                   home + "\\\n");
    env_.Write(home + "\\bin\\" + cc + ".exe");
    if (!driver) return;
    std::string contents = "not a library";
    if (library) {
      ASSERT_TRUE(env_.fs().ReadFile(env_.fs().FromHostPath(library), &contents)) << library;
    }
    env_.Write(home + "\\bin\\" + driver, contents);
  }

  // Keeps the driver loaded so that its record outlives the call.
  CheckOptionCall* Record(const std::string& home, const std::string& driver) {
    std::string error;
    held_ = env_.system().LoadLibrary(env_.HostPath(home + "\\bin\\" + driver), &error);
    if (!held_) {
      ADD_FAILURE() << error;
      return nullptr;
    }
    auto last = reinterpret_cast<CheckOptionCall* (*)()>(held_->FindSymbol("LastCheckOptionCall"));
    if (!last) {
      ADD_FAILURE() << "no LastCheckOptionCall";
      return nullptr;
    }
    CheckOptionCall* call = last();
    *call = CheckOptionCall{};
    return call;
  }

  static std::vector<std::string> Args(const CheckOptionCall& call) {
    std::vector<std::string> args;
    for (int i = 0; i < call.argc && i < 16; ++i)
      args.emplace_back(call.args[i]);
    return args;
  }

  testing::ToolchainPlatform env_;
  Installation util_{env_.platform(), "T:\\Inst"};
  CpuTable tools_{env_.platform(), util_};
  std::unique_ptr<DynamicLibrary> held_;
};

TEST_F(CheckOptionsWithDriverTest, EachArgumentFormReceivesWhatItExpects) {
  const struct {
    const char* cpu;
    const char* home;
    const char* driver;
    int form;
    unsigned code;
    int mode_word;
    int flags;
  } cases[] = {
      {"MX-520", "H520", "qkdriver.dll", 0, 0x10002, -1, -1},
      {"mr44a", "H44A", "QkDriver44A.DLL", 1, 0x10001, -1, 0},
      {"MR44", "H52IP", "QkDriver52IP.DLL", 2, 0x10001, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cpu);
    CheckOptionCall* call = Record(c.home, c.driver);
    ASSERT_NE(call, nullptr);
    std::string reason;
    // An option, then a quoted option holding a blank: two arguments.
    EXPECT_TRUE(CheckOptionsWithDriver(env_.platform(), tools_, c.cpu,
                                       "-O1 \"-IT:\\My Dir\\inc\" -C abcdefg.c", &reason))
        << reason;
    EXPECT_EQ(Args(*call),
              (std::vector<std::string>{"-O1", "-IT:\\My Dir\\inc", "-C", "abcdefg.c"}));
    // The home without its trailing `\`; argv ends in null, the reserved word is null.
    EXPECT_EQ(
        StringPrintf("%d %d %d %d %d %s %d %x %d %d", call->calls, call->form, call->argc,
                     call->argv_terminated, call->reserved_is_null, call->home,
                     call->message_slot_given, call->code, call->mode_word, call->flags),
        StringPrintf("1 %d 4 1 1 T:\\%s 1 %x %d %d", c.form, c.home, c.code, c.mode_word, c.flags));

    // A rejection: the driver's message is freed (the leak checker would
    // tell) and the answer is false.
    EXPECT_FALSE(CheckOptionsWithDriver(env_.platform(), tools_, c.cpu, "-bad", &reason));
    EXPECT_EQ(call->calls, 2);
    EXPECT_EQ(Args(*call), std::vector<std::string>{"-bad"});
    EXPECT_NE(reason.find("rejected"), std::string::npos) << reason;

    EXPECT_TRUE(CheckOptionsWithDriver(env_.platform(), tools_, c.cpu, ""));
    EXPECT_EQ(call->argc, 0);
    EXPECT_TRUE(call->argv_terminated);
    held_.reset();
  }
}

TEST_F(CheckOptionsWithDriverTest, MissingOrBrokenDrivers) {
  const struct {
    const char* cpu;
    bool ok;
    const char* reason;  // part of the reason on false
  } cases[] = {
      {"K310SA1", true, ""},  // no table row for KHOME310SA: nothing to check
      {"MX-999", true, ""},   // unknown CPU: no home variable either
      {"MX-310/P", false, "no such driver library: T:\\H310\\bin\\QkDriver310p.DLL"},
      {"MX-520/S", false, "cannot load driver library T:\\HBROKEN\\bin\\QkDriver.DLL"},
      {"MX-520/R", false, "has no CheckOption"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cpu);
    std::string reason;
    EXPECT_EQ(CheckOptionsWithDriver(env_.platform(), tools_, c.cpu, "-O1", &reason), c.ok);
    if (!c.ok) {
      EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    }
  }
}

}  // namespace
}  // namespace zelvan
