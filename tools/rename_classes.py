#!/usr/bin/env python3
"""Renames classes to names that say what they are, and their files to match.

Re-runnable: run it from the repository root on any branch; a second run
changes nothing. It renames C++ identifiers with word-boundary matches in
code, build lists and the developer docs, moves files with `git mv`, and
fixes the file names in #include lines, CMake lists and comments. Text in
double quotes (on-disk keys, messages, program ids) is left alone, except
for file paths of #include lines.

  python3 tools/rename_classes.py          # rename, then clang-format what it edited
  python3 tools/rename_classes.py --check  # list what would change
"""
import os
import re
import shutil
import subprocess
import sys

# Old class name -> new class name.
CLASSES = [
    ("CProjectData", "Workspace"),
    ("CProjectDataTest", "WorkspaceTest"),
    ("COneProjectData", "Project"),
    ("COneProjectDataTest", "ProjectTest"),
    ("COneSourceFile", "SourceFile"),
    ("COneSourceFileTest", "SourceFileTest"),
    ("CPrjSvcProFile", "ServiceSettings"),
    ("CTreeNodeTable", "TreeNodeTable"),
    ("CDependencyRecord", "DependencyRecord"),
    ("CBuilderFileInfo", "BuilderFileInfo"),
    ("CDefineVariableData", "FunctionDatabaseEntry"),
    ("CCreateTemplate", "TemplateCreator"),
    ("CCreateProject", "ProjectCreator"),
    ("CCreateBrankProject", "BlankProjectCreator"),
    ("CCreateLibrary", "LibraryCreator"),
    ("COneCashProfileData", "CachedSection"),
    ("CCashProfileData", "TargetValueCache"),
    ("CSectionData", "ProfileSection"),
    ("CProfileData", "ProfileData"),
    ("CCountedList", "CountedList"),
    ("CCPUInfo", "CpuInfo"),
    ("CCPUInfoInReg", "RegisteredCpuInfo"),
    ("CCPUTools", "CpuTable"),
    ("CCPUToolsTest", "CpuTableTest"),
    ("CProjOPtString", "OptionString"),
    ("CLanguage", "Language"),
    ("CLangTools", "LanguageTable"),
    ("CCustomEventData", "CustomEvents"),
    ("CAnalizeLinkCommandFile", "LinkCommandFileParser"),
    ("CDeclarationParser", "DeclarationParser"),
    ("CIncludeScanner", "IncludeScanner"),
    ("CDefileVariable", "ParsedDeclaration"),
    ("CDeclarationRecord", "DeclarationRecord"),
    ("CPerserBase", "CScanner"),
    ("CPerserFile", "CFileScanner"),
    ("CPerserString", "CTextScanner"),
    ("CCommentRemover", "CommentRemover"),
    ("CStatusManagement", "StateStack"),
    ("CPreprocessorStatus", "PreprocessorStateStack"),
    ("CClassStatus", "ClassStateStack"),
    ("QkUtil", "Installation"),
    ("QkUtilTest", "InstallationTest"),
]

# Old file base name -> new (same folder; .h, .cpp and _test.cpp move together).
FILES = [
    ("src/model", "project_data", "workspace"),
    ("src/model", "one_project_data", "project"),
    ("src/model", "one_source_file", "source_file"),
    ("src/model", "prj_svc_pro_file", "service_settings"),
    ("src/model", "define_variable_data", "function_database_entry"),
    ("src/projects", "create_template", "template_creator"),
    ("src/storage", "cash_profile_data", "target_value_cache"),
    ("src/toolchain", "cpu_tools", "cpu_table"),
    ("src/toolchain", "proj_opt_string", "option_string"),
    ("src/toolchain", "lang_tools", "language_table"),
    ("src/toolchain", "custom_event_data", "custom_events"),
    ("src/toolchain", "qk_util", "installation"),
    ("src/analysis", "define_variable", "parsed_declaration"),
    ("src/analysis", "perser_base", "c_scanner"),
    ("src/analysis", "perser_file", "c_file_scanner"),
    ("src/analysis", "perser_string", "c_text_scanner"),
    ("src/analysis", "status_management", "state_stack"),
]

# Members and helpers whose names would collide with a new class name:
# (files it applies to or None for all, old pattern, replacement). Each
# pattern matches only the old form, so a second run finds nothing.
DERIVED = [
    (None, r"(?<=[.>])Project\(\)", "OwnerProject()"),
    (None, r"& Project\(\) const", "& OwnerProject() const"),
    (["tests/support/makefile_workspace.h", "src/build/gnu_makefile_test.cpp",
      "src/build/kmake_file_test.cpp"], r"(?<![\w.>:])Project\((?=project\b|std::string_view name\b|\"|big\b)",
     "ProjectNamed("),
    (["src/analysis/function_database_test.cpp"], r"(?<![\w.>:])Project\((?=const char\*|\")",
     "ProjectText("),
]

ROOTS = ["src", "tests", "fuzz", "bench", "packaging"]
DOCS = ["README.md", "ARCHITECTURE.md", "DEVELOPERS.md"]
EXTS = (".h", ".cpp", ".c", ".cc", ".txt", ".cmake", ".md", ".py")

QUOTED = re.compile(r'"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)\'')
INCLUDE = re.compile(r'^(\s*#\s*include\s*)"([^"]*)"', re.M)
CLASS_RE = re.compile(r"\b(" + "|".join(sorted((o for o, _ in CLASSES), key=len, reverse=True)) +
                      r")\b(?!\.ini)")
CLASS_MAP = dict(CLASSES)
BASE_MAP = {old: new for _, old, new in FILES}
BASE_RE = re.compile(r"(?<![\w.-])(" + "|".join(sorted(BASE_MAP, key=len, reverse=True)) +
                     r")(?=(?:_test)?\.(?:h|cpp)\b)")


def outside_quotes(text, fn):
    out, pos = [], 0
    for m in QUOTED.finditer(text):
        out.append(fn(text[pos:m.start()]))
        out.append(m.group(0))
        pos = m.end()
    out.append(fn(text[pos:]))
    return "".join(out)


def rename_text(path, text):
    for files, pattern, repl in DERIVED:
        if files is None or path in files:
            text = re.sub(pattern, repl, text)
    text = BASE_RE.sub(lambda m: BASE_MAP[m.group(1)], text)
    text = INCLUDE.sub(lambda m: m.group(1) + '"' + BASE_RE.sub(
        lambda b: BASE_MAP[b.group(1)], m.group(2)) + '"', text)
    return outside_quotes(text, lambda t: CLASS_RE.sub(lambda m: CLASS_MAP[m.group(1)], t))


def tracked_files():
    out = subprocess.run(["git", "ls-files", "--"] + ROOTS + DOCS, capture_output=True,
                         text=True, check=True).stdout.split("\n")
    return [f for f in out if f and (f.endswith(EXTS) or os.path.basename(f) == "CMakeLists.txt")
            and os.path.isfile(f)]


def main():
    check = "--check" in sys.argv
    changed = []
    for folder, old, new in FILES:
        for suffix in (".h", ".cpp", "_test.cpp"):
            src, dst = f"{folder}/{old}{suffix}", f"{folder}/{new}{suffix}"
            if os.path.exists(src):
                if os.path.exists(dst):
                    sys.exit(f"both {src} and {dst} exist")
                changed.append(f"move {src} -> {dst}")
                if not check:
                    subprocess.run(["git", "mv", src, dst], check=True)
    for path in tracked_files():
        with open(path, encoding="utf-8", newline="") as f:
            text = f.read()
        new_text = rename_text(path, text)
        if new_text != text:
            changed.append(f"edit {path}")
            if not check:
                with open(path, "w", encoding="utf-8", newline="") as f:
                    f.write(new_text)
    # New names sort differently: let clang-format reorder the #include lines.
    edited = [c[5:] for c in changed if c.startswith("edit ") and c.endswith((".h", ".cpp"))]
    if edited and not check and shutil.which("clang-format"):
        subprocess.run(["clang-format", "-i"] + edited, check=True)
    print("\n".join(changed) if changed else "nothing to rename")


if __name__ == "__main__":
    main()
