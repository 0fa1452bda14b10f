#!/usr/bin/env python3
"""Zelvan on real code, compared with the reference tools.

  real_code.py prepare CACHE        unpack the Linux subtree (and make its generated
                                    headers) and newlib into CACHE, once
  real_code.py deps CACHE ZELVAN    `deps --all` lists against `gcc -MM` on a fixed sample
  real_code.py build CACHE ZELVAN INSTALL TREE   `zelvan build` twice with the stub tools
  real_code.py functions CACHE ZELVAN TREE       the function list against ctags
  real_code.py lcf CACHE ZELVAN SCRIPTS          memory areas and symbols against GNU ld

Each check prints its figures; the thresholds are arguments, so a check can
be made stricter as the tools get better. Exit 0 pass, 1 fail, 77 skipped
for a reason the check names.
"""
import argparse
import glob
import json
import os
import re
import shutil
import subprocess
import sys

LINUX_TAR = "/usr/src/linux-source-6.1.tar.xz"
NEWLIB_TARS = "/usr/src/newlib/newlib-*.tar.xz"
LINUX_DIRS = ["fs", "kernel", "mm", "net"]
# What `make defconfig prepare` reads besides the subtree: every Kconfig and
# Makefile of the tree (the top ones among them), and a few folders whole.
LINUX_EXTRA = ["arch/x86", "include", "scripts", "tools", "certs", "init",
               "security/selinux/include"]
LINUX_INCLUDES = ["arch/x86/include", "arch/x86/include/generated", "include",
                  "arch/x86/include/uapi", "arch/x86/include/generated/uapi",
                  "include/uapi", "include/generated/uapi"]
LINUX_FORCED = ["include/linux/compiler-version.h", "include/linux/kconfig.h",
                "include/linux/compiler_types.h"]
NEWLIB_INCLUDES = ["newlib/libc/include"]
# newlib's glibc-style macros that make aliases or system-call stubs.
CTAGS_MACROS = ["weak_alias", "strong_alias", "libc_hidden_def", "libc_hidden_proto",
                "libresolv_hidden_def", "__libc_lock_define_initialized_recursive",
                "thread_atfork_static", "static_link_warning"]
CTAGS_MACROS += [f"_syscall{n}{base}" for n in range(7) for base in ("", "_base")]
# newlib's macros that define a function from their arguments, spelt out for
# ctags, which does not expand a macro it has not been given.
CTAGS_DEFINES = ["RTEMS_STUB(ret,func,body)=ret func body"]


def run(cmd, cwd=None, env=None, check=True):
    r = subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                       text=True, errors="replace")
    if check and r.returncode != 0:
        sys.exit(f"FAIL: {' '.join(cmd)}: status {r.returncode}\n{r.stderr[-2000:]}")
    return r


def linux_root(cache):
    return os.path.join(cache, "linux-source-6.1")


def newlib_root(cache):
    return os.path.join(cache, "newlib-salsa")


def prepare(args):
    os.makedirs(args.cache, exist_ok=True)
    root = linux_root(args.cache)
    if not os.path.exists(os.path.join(root, ".prepared")):
        shutil.rmtree(root, ignore_errors=True)
        wanted = [f"linux-source-6.1/{d}/*" for d in LINUX_DIRS + LINUX_EXTRA]
        run(["tar", "-xJf", LINUX_TAR, "-C", args.cache, "--wildcards", "--wildcards-match-slash",
             "*/Kconfig*", "*/Makefile*", "*/Kbuild", *wanted])
        jobs = str(os.cpu_count() or 2)
        run(["make", "-s", "defconfig"], cwd=root)
        run(["make", "-s", "-j", jobs, "prepare"], cwd=root)
        open(os.path.join(root, ".prepared"), "w").close()
    root = newlib_root(args.cache)
    if not os.path.exists(os.path.join(root, ".prepared")):
        shutil.rmtree(root, ignore_errors=True)
        tars = sorted(glob.glob(NEWLIB_TARS))
        if not tars:
            sys.exit(f"FAIL: no {NEWLIB_TARS} (Debian package newlib-source)")
        run(["tar", "-xJf", tars[-1], "-C", args.cache])
        open(os.path.join(root, ".prepared"), "w").close()
    print("trees ready in", args.cache)


def sources(root, dirs, ext=(".c",)):
    found = []
    for d in dirs:
        for here, subdirs, files in os.walk(os.path.join(root, d)):
            subdirs.sort()
            found += [os.path.relpath(os.path.join(here, f), root) for f in sorted(files)
                      if f.endswith(ext)]
    return found


def win(path):
    return path.replace("/", "\\")


def write_project(root, name, files, compile_options, cpu="MR44A"):
    """A library project over `files` (relative to `root`), one target, Debug."""
    lines = ["[PROJECT]", f"Name={name}", f"OUTPUT={name}.lib", f"CPU={cpu}",
             f"CPUFAMILY={cpu}", "TARGET=Debug;", "Folder=Source Files;", "LCFOPEN=0",
             "[Source Files]", "FILTER=c", f"SOURCECOUNT={len(files)}"]
    lines += [f"SOURCE{i}={win(f)}" for i, f in enumerate(files)]
    lines += ["[PROJECT!MACRO!Debug]", f"DefaultCompile={compile_options}",
              f"ProjectCompile={compile_options}", "DefaultLink=", "ProjectLink=",
              "DefaultOUTPUT=.\\Debug", "OUTPUT=.\\Debug", "DefaultTEMP=.\\Debug\\obj",
              "TEMP=.\\Debug\\obj", "DefaultWORK=.", "WORK=", "DEBUG=",
              f"TARGET=.\\Debug\\{name}.lib", f"TARGET_NAME={name}.lib",
              f"LibraryOutput=.\\Debug\\{name}.lib", "UPDATE="]
    path = os.path.join(root, name + ".kbp")
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    # Data files of an earlier run (the function database too: a changed
    # parser must parse every source again).
    for stale in (".kde", ".kdx", ".kfv"):
        if os.path.exists(os.path.join(root, name + stale)):
            os.remove(os.path.join(root, name + stale))
    return path


def zelvan_env(work):
    env = dict(os.environ)
    for d in ("tmp", "run"):
        os.makedirs(os.path.join(work, d), exist_ok=True)
    env.update(TMPDIR=os.path.join(work, "tmp"), XDG_RUNTIME_DIR=os.path.join(work, "run"))
    env.pop("TEMP", None)
    return env


def read_dependency_file(path, root):
    """{source: set of host paths} from a project's dependency file."""
    lists, section, left = {}, None, 0
    with open(path, encoding="latin-1") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if line.startswith("["):
                section = line[1:-1].replace("\\", "/")
                lists[section] = set()
            elif section and "=" in line:
                key, value = line.split("=", 1)
                if left:
                    left -= 1
                    value = value.split("|", 1)[-1].replace("\\", "/")
                    lists[section].add(os.path.normpath(os.path.join(root, value)))
                elif value.isdigit():
                    left = int(value)
    return lists


def gcc_edges(root, source, flags):
    r = run(["gcc", "-MM", *flags, source], cwd=root, check=False)
    if r.returncode != 0:
        return None
    words = r.stdout.replace("\\\n", " ").split(":", 1)[1].split()
    return {os.path.normpath(os.path.join(root, w)) for w in words[1:]}


def deps(args):
    root = linux_root(args.cache)
    files = sources(root, LINUX_DIRS)
    gcc_include = run(["gcc", "-print-file-name=include"]).stdout.strip()
    options = " ".join(f"-I{win(d)}" for d in LINUX_INCLUDES) + f" -I{win(gcc_include)}"
    options += "".join(f" -include {win(h)}" for h in LINUX_FORCED)
    project = write_project(root, "linux_deps", files, options)
    env = zelvan_env(os.path.join(args.cache, "work"))
    run([args.zelvan, "-q", "-w", project, "deps", "--all"], cwd=root, env=env)
    lists = read_dependency_file(project[:-4] + ".kde", root)

    flags = ["-nostdinc", "-isystem", gcc_include, "-D__KERNEL__", "-O2"]
    flags += [f"-I{d}" for d in LINUX_INCLUDES]
    for h in LINUX_FORCED:
        flags += ["-include", h]
    # Headers the forced includes bring in: their edges need not be listed.
    open(os.path.join(args.cache, "empty.c"), "w").close()
    forced = gcc_edges(root, os.path.join(args.cache, "empty.c"), flags)
    step = max(1, len(files) // args.sample)
    total = found = missing_forced = skipped = 0
    missing = {}
    sample = []
    # Every step-th source, then the ones after them, until the sample is
    # full; a source that gcc cannot take alone is passed over.
    order = (i for offset in range(step) for i in range(offset, len(files), step))
    for i in order:
        if len(sample) == args.sample:
            break
        edges = gcc_edges(root, files[i], flags)
        if edges is None:  # needs its folder's own flags
            skipped += 1
            continue
        sample.append(files[i])
        ours = lists.get(files[i], set())
        for edge in edges:
            total += 1
            if edge in ours:
                found += 1
            elif edge in forced:
                missing_forced += 1
            else:
                missing.setdefault(os.path.relpath(edge, root), []).append(files[i])
    other = total - found - missing_forced
    share = 100.0 * found / max(1, total - missing_forced)
    print(f"sources: {len(files)} in the project, {len(sample)} compared "
          f"({skipped} passed over: gcc needs their folder's own flags)")
    print(f"gcc -MM edges: {total}; listed {found}; missing through forced includes "
          f"{missing_forced}; missing otherwise {other}")
    print(f"share of the edges listed (forced includes aside): {share:.3f}% "
          f"(all edges: {100.0 * found / max(1, total):.3f}%)")
    for header, where in sorted(missing.items(), key=lambda kv: -len(kv[1]))[:args.show]:
        print(f"  missing {header}: {len(where)} sources, e.g. {where[0]}")
    if share < args.min_share:
        sys.exit(f"FAIL: {share:.3f}% of the edges listed, below {args.min_share}%")


def build(args):
    env = zelvan_env(os.path.join(args.cache, "work"))
    if args.tree == "newlib":
        root = newlib_root(args.cache)
        files = sources(root, [f"newlib/libc/{d}" for d in args.folders.split(",")])
        options = " ".join(f"-I{win(d)}" for d in NEWLIB_INCLUDES)
    else:
        root = linux_root(args.cache)
        files = sources(root, args.folders.split(","))
        options = " ".join(f"-I{win(d)}" for d in LINUX_INCLUDES)
    project = write_project(root, f"{args.tree}_build", files, options)
    shutil.rmtree(os.path.join(root, "Debug"), ignore_errors=True)
    log = os.path.join(args.cache, "work", f"{args.tree}_tools.log")
    env["STUB_TOOL_LOG"] = log
    # The stub compiler reads every include line, taken or not: one found
    # nowhere is passed over, as a compiler passes over a branch not taken.
    env["STUB_TOOL_MISSING_INCLUDES"] = "skip"
    open(log, "w").close()
    print(f"{len(files)} sources of {args.tree} ({args.folders})")
    for attempt in ("first", "second"):
        r = run([args.zelvan, "-q", "--install", args.install, "-w", project, "build"],
                cwd=root, env=env, check=False)
        if r.returncode != 0:
            out = r.stdout + r.stderr
            print(out[-3000:])
            rule = re.search(r"No rule to make target '([^']*)'", out)
            if rule and not os.path.exists(rule.group(1)) and args.skip_missing_prerequisite:
                print(f"SKIP: the {attempt} build stopped at a prerequisite that does not "
                      f"exist: {rule.group(1)}")
                sys.exit(77)
            sys.exit(f"FAIL: the {attempt} build: status {r.returncode}")
        with open(log) as f:
            ran = f.read().splitlines()
        open(log, "w").close()
        print(f"{attempt} build: {len(ran)} tool runs")
        if attempt == "second" and ran:
            sys.exit(f"FAIL: the second build ran tools: {ran[:5]}")


def read_tags(path, root):
    tags = set()
    with open(path, errors="replace") as f:
        for line in f:
            if line.startswith("!_"):
                continue
            parts = line.rstrip("\n").split("\t")
            if len(parts) >= 3:
                name, file, line_number = parts[0], parts[1], parts[2].split(";")[0]
                tags.add((name, os.path.normpath(os.path.join(root, file)), int(line_number)))
    return tags


class SourceLines:
    def __init__(self):
        self.files = {}

    def __call__(self, path, line):
        if path not in self.files:
            with open(path, errors="replace") as f:
                self.files[path] = f.read().split("\n")
        lines = self.files[path]
        return lines[line - 1] if 0 < line <= len(lines) else ""


def swallowed_pairs(missed, extra, theirs):
    """ctags takes a macro call with no ";" ("weak_alias (a, b)") for an
    old-style definition whose parameter declarations run on to the next
    "{": it lists the macro and not the definition after it. Each such pair
    is a miss (the macro) and an extra (the definition) with no ctags tag
    between them."""
    lines = {}
    for _, path, line in theirs:
        lines.setdefault(path, []).append(line)
    extra_by_file = {}
    for tag in extra:
        extra_by_file.setdefault(tag[1], []).append(tag)
    text = SourceLines()
    pairs = {}
    for name, path, line in sorted(missed, key=lambda t: (t[1], t[2])):
        if not re.match(r"\s*(static\s+)?" + re.escape(name) + r"\s*\(", text(path, line)):
            continue
        after = sorted((t for t in extra_by_file.get(path, []) if t[2] > line and t not in
                        pairs.values()), key=lambda t: t[2])
        if after and not any(line < other < after[0][2] for other in lines[path]):
            pairs[(name, path, line)] = after[0]
    return pairs


SWALLOWED = "a macro call with no ';' that ctags takes for an old-style definition"


def missed_causes(missed, ours, pairs):
    """ctags' functions that zelvan does not list, by the likely cause."""
    named = {(name, path) for name, path, _ in ours}
    last = {}
    for _, path, line in ours:
        last[path] = max(last.get(path, 0), line)
    # Two sources whose names differ in letter case only are one file to
    # zelvan, as on Windows; it lists the functions of one of them.
    listed = {path for _, path, _ in ours}
    folded = {path.lower() for path in listed}
    text = SourceLines()
    causes = {}
    for name, path, line in sorted(missed, key=lambda t: (t[1], t[2])):
        if (name, path, line) in pairs:
            cause = SWALLOWED + " (zelvan lists the definition after it)"
        elif path not in listed and path.lower() in folded:
            cause = "a source whose name differs from another's in letter case only (one file)"
        elif (name, path) in named:
            cause = "listed at another line"
        elif any(re.match(r"\s*" + re.escape(d.split("(")[0]) + r"\s*\(", text(path, line))
                 for d in CTAGS_DEFINES):
            cause = "functions a macro defines from its arguments (zelvan does not expand macros)"
        elif re.match(r"\s*[A-Z][A-Z0-9_]*\s*\(", text(path, line)):
            cause = "macro calls that ctags takes for definitions"
        elif last.get(path, 0) < line:
            cause = "after the last function zelvan lists in the file (the parser lost its place)"
        else:
            cause = "other"
        causes.setdefault(cause, []).append(f"{os.path.basename(path)}:{line} {name}")
    return causes


def extra_causes(extra, theirs, pairs):
    named = {(name, path) for name, path, _ in theirs}
    swallowed = set(pairs.values())
    text = SourceLines()
    causes = {}
    for name, path, line in sorted(extra, key=lambda t: (t[1], t[2])):
        here = text(path, line)
        if (name, path, line) in swallowed:
            cause = "the definition after " + SWALLOWED
        elif (name, path) in named:
            cause = "ctags lists at another line"
        elif re.match(r"\s*" + re.escape(name) + r"\s*\([\w\s,]*\)\s*$", here):
            cause = "old-style definitions (a list of parameter names) that ctags does not list"
            if re.match(r"\s*extern\b", text(path, line - 1)):
                cause += ", after 'extern'"
        elif re.match(r"\s*[A-Z][A-Z0-9_]*\s*\(.*\b" + re.escape(name) + r"\s*\(", here):
            cause = "functions defined in a macro's arguments, which ctags does not list"
        elif name.startswith("__") or re.fullmatch(r"[A-Z0-9_]+", name):
            cause = "annotation words or macros listed as the function"
        else:
            cause = "other"
        causes.setdefault(cause, []).append(f"{os.path.basename(path)}:{line} {name}")
    return causes


def functions(args):
    if args.tree == "newlib":
        root = newlib_root(args.cache)
        files = sources(root, ["newlib/libc"])
        options = " ".join(f"-I{win(d)}" for d in NEWLIB_INCLUDES)
    else:
        root = linux_root(args.cache)
        files = sources(root, LINUX_DIRS)
        options = " ".join(f"-I{win(d)}" for d in LINUX_INCLUDES)
    work = os.path.join(args.cache, "work")
    project = write_project(root, f"{args.tree}_functions", files, options)
    env = zelvan_env(work)
    r = run([args.zelvan, "-q", "-w", project, "functions", "--format", "ctags"], cwd=root, env=env)
    with open(os.path.join(work, f"{args.tree}_zelvan.tags"), "w") as f:
        f.write(r.stdout)
    with open(os.path.join(work, f"{args.tree}_files.txt"), "w") as f:
        f.write("\n".join(files) + "\n")
    # ctags is told the tree's own alias macros, as its manual advises for
    # macros that stand where a declaration may ("weak_alias (a, b)" with no
    # ";"): without it, it takes each call for an old-style definition and
    # loses the real definition after it.
    ignore = []
    if args.tree == "newlib":
        ignore = ["-I", ",".join(m + "+" for m in CTAGS_MACROS)]
        ignore += [f"-D{d}" for d in CTAGS_DEFINES]
    r = run(["ctags", "-x", "--languages=C", "--langmap=C:.c.h", "--kinds-C=f", *ignore,
             "--_xformat=%N\t%F\t%n", "-L", os.path.join(work, f"{args.tree}_files.txt")], cwd=root)
    with open(os.path.join(work, f"{args.tree}_ctags.tags"), "w") as f:
        f.write(r.stdout)
    ours = read_tags(os.path.join(work, f"{args.tree}_zelvan.tags"), root)
    theirs = read_tags(os.path.join(work, f"{args.tree}_ctags.tags"), root)
    both = ours & theirs
    recall = 100.0 * len(both) / max(1, len(theirs))
    precision = 100.0 * len(both) / max(1, len(ours))
    print(f"{args.tree}: {len(files)} sources; ctags {len(theirs)} functions, zelvan {len(ours)}, "
          f"both {len(both)}")
    print(f"recall {recall:.2f}% (name, file and line), precision {precision:.2f}%")
    pairs = swallowed_pairs(theirs - ours, ours - theirs, theirs)
    for title, causes in (("missed", missed_causes(theirs - ours, ours, pairs)),
                          ("not confirmed", extra_causes(ours - theirs, theirs, pairs))):
        for cause, found in sorted(causes.items(), key=lambda kv: -len(kv[1])):
            print(f"  {title}: {len(found):5} {cause}, e.g. {', '.join(found[:3])}")
    # The figures with ctags' own misreadings of macro calls set aside.
    fair_recall = 100.0 * len(both) / max(1, len(theirs) - len(pairs))
    fair_precision = 100.0 * (len(both) + len(pairs)) / max(1, len(ours))
    print(f"with the {len(pairs)} macro calls ctags takes for definitions set aside: recall "
          f"{fair_recall:.2f}%, precision {fair_precision:.2f}%")
    if recall < args.min_recall or precision < args.min_precision:
        sys.exit(f"FAIL: recall {recall:.2f}% (at least {args.min_recall}%), precision "
                 f"{precision:.2f}% (at least {args.min_precision}%)")


def ld_map(script, work):
    """GNU ld's memory areas {name: (origin, length)} and symbols {name: value},
    or None when ld cannot link with the script even with stand-in inputs."""
    stand_ins = os.path.join(work, "stand-ins")
    os.makedirs(stand_ins, exist_ok=True)
    elf, mapfile = os.path.join(work, "out.elf"), os.path.join(work, "out.map")
    # GNU ld for ARM takes any script once it names no other machine; the
    # areas and symbols do not depend on it.
    with open(script, errors="replace") as f:
        text = f.read()
    copy = os.path.join(work, "script.ld")
    with open(copy, "w") as f:
        f.write(re.sub(r"\b(OUTPUT_ARCH|OUTPUT_FORMAT|TARGET)\s*\([^)]*\)", "", text))
    options = []
    for _ in range(8):
        r = run(["arm-none-eabi-ld", *options, "-L", os.path.dirname(script), "-L", stand_ins,
                 "-T", copy, "--noinhibit-exec", "-o", elf, "-Map", mapfile, os.path.join(work, "empty.o")],
                cwd=os.path.dirname(script), check=False)
        # Inputs the script names (crt0.o, -lc) are stood in for by empty ones.
        need = re.findall(r"cannot find (-l)?(\S+?):", r.stderr)
        if "not enough room for program headers" in r.stderr and not options:
            options = ["-N"]  # areas too small for the headers GNU ld would put in them
            continue
        if not need:
            break
        for lib, name in need:
            target = os.path.join(stand_ins, f"lib{name}.a" if lib else os.path.basename(name))
            shutil.copy(os.path.join(work, "empty.a" if target.endswith(".a") else "empty.o"),
                        target)
    if not os.path.exists(elf) or not os.path.exists(mapfile):
        print(f"    {r.stderr.strip().splitlines()[0] if r.stderr.strip() else 'no output'}")
        return None
    areas, symbols, in_memory = {}, {}, False
    with open(mapfile) as f:
        for line in f:
            if line.startswith("Memory Configuration"):
                in_memory = True
            elif line.startswith("Linker script and memory map"):
                break
            elif in_memory:
                words = line.split()
                if len(words) >= 3 and words[1].startswith("0x") and words[0] != "*default*":
                    areas[words[0]] = (int(words[1], 16), int(words[2], 16))
    for line in run(["arm-none-eabi-nm", elf]).stdout.splitlines():
        words = line.split()
        if len(words) == 3:
            symbols[words[2]] = int(words[0], 16)
    os.remove(elf)
    return areas, symbols


def lcf(args):
    work = os.path.join(args.cache, "work", "lcf")
    os.makedirs(work, exist_ok=True)
    with open(os.path.join(work, "empty.s"), "w") as f:
        f.write("")
    run(["arm-none-eabi-as", "-o", os.path.join(work, "empty.o"), os.path.join(work, "empty.s")])
    run(["arm-none-eabi-ar", "rc", os.path.join(work, "empty.a"), os.path.join(work, "empty.o")])
    scripts = sorted(os.path.join(args.scripts, f) for f in os.listdir(args.scripts)
                     if f.endswith(".ld"))
    own = len(scripts)
    # Every linker script newlib ships with a memory block (the .sc, .src and
    # .tmpl files beside them are templates that make scripts).
    for here, _, files in sorted(os.walk(newlib_root(args.cache))):
        for f in sorted(files):
            path = os.path.join(here, f)
            if f.endswith((".ld", ".x")):
                with open(path, errors="replace") as text:
                    if re.search(r"^\s*MEMORY\b", text.read(), re.M):
                        scripts.append(path)
    env = zelvan_env(work)
    count = {k: 0 for k in ("ld_areas", "areas_answered", "areas_agree", "areas_decimal",
                            "areas_wrong",
                            "symbols", "symbols_answered", "symbols_agree", "symbols_wrong",
                            "ld_failed")}
    for script in scripts:
        name = os.path.relpath(script, args.cache if script.startswith(args.cache)
                               else os.path.dirname(args.scripts))
        ref = ld_map(script, work)
        if ref is None:
            count["ld_failed"] += 1
            print(f"  {name}: GNU ld cannot link with it; passed over")
            continue
        areas, symbols = ref
        count["ld_areas"] += len(areas)
        r = run([args.zelvan, "-q", "lcf", "memory", script, "--json"], env=env, check=False)
        ours = json.loads(r.stdout)["areas"] if r.returncode == 0 else []
        for area in ours:
            count["areas_answered"] += 1
            want = areas.get(area["name"])
            if want == (area["start"], area["size"]):
                count["areas_agree"] += 1
            elif want and all(ours == int(str(theirs), 16) or ours == theirs
                              for ours, theirs in zip((area["start"], area["size"]), want)):
                count["areas_decimal"] += 1  # decimal digits read as hexadecimal, as specified
            else:
                count["areas_wrong"] += 1
                print(f"  {name}: area {area['name']!r} {area['start']:#x} {area['size']:#x}, "
                      f"GNU ld {'has none' if want is None else f'{want[0]:#x} {want[1]:#x}'}")
        with open(script, errors="replace") as f:
            text = re.sub(r"/\*.*?\*/", " ", f.read(), flags=re.S)
        for symbol in sorted(set(re.findall(r"(?:^|[;{}\s])([A-Za-z_.$][\w.$]*)\s*=[^=]", text))):
            if symbol == "." or symbol not in symbols:
                continue
            count["symbols"] += 1
            r = run([args.zelvan, "-q", "lcf", "outer", script, symbol], env=env, check=False)
            if r.returncode != 0:
                continue
            count["symbols_answered"] += 1
            answer = r.stdout.strip()
            try:
                value = int(answer, 0) if answer.lower().startswith("0x") else int(answer)
            except ValueError:
                value = None
            if value is not None and value & 0xFFFFFFFF == symbols[symbol]:
                count["symbols_agree"] += 1
            else:
                count["symbols_wrong"] += 1
                print(f"  {name}: {symbol} = {answer}, GNU ld {symbols[symbol]:#x}")
    print(f"scripts: {own} of our own, {len(scripts) - own} of newlib's with a memory block, "
          f"{count['ld_failed']} that GNU ld cannot link with")
    print(f"areas: GNU ld {count['ld_areas']}, zelvan answered {count['areas_answered']}, "
          f"agree {count['areas_agree']}, decimal read as hexadecimal {count['areas_decimal']}, "
          f"wrong {count['areas_wrong']}")
    print(f"symbols: {count['symbols']} assigned, zelvan answered {count['symbols_answered']}, "
          f"agree {count['symbols_agree']}, wrong {count['symbols_wrong']}")
    agree = 100.0 * count["areas_agree"] / max(1, count["ld_areas"])
    print(f"share of GNU ld's areas that zelvan gives alike: {agree:.1f}%")
    wrong = count["areas_wrong"] + count["symbols_wrong"]
    if wrong > args.max_wrong or agree < args.min_areas:
        sys.exit(f"FAIL: {wrong} wrong answers (at most {args.max_wrong}), {agree:.1f}% of the "
                 f"areas alike (at least {args.min_areas}%)")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="check", required=True)
    p = sub.add_parser("prepare")
    p.add_argument("cache")
    p.set_defaults(run=prepare)
    p = sub.add_parser("deps")
    p.add_argument("cache")
    p.add_argument("zelvan")
    p.add_argument("--sample", type=int, default=300)
    p.add_argument("--min-share", type=float, default=99.5)
    p.add_argument("--show", type=int, default=15, help="missing headers to list")
    p.set_defaults(run=deps)
    p = sub.add_parser("build")
    p.add_argument("cache")
    p.add_argument("zelvan")
    p.add_argument("install")
    p.add_argument("tree", choices=["newlib", "linux"])
    p.add_argument("--folders", required=True, help="comma-separated folders of the tree")
    p.add_argument("--skip-missing-prerequisite", action="store_true",
                   help="skip (77) when make stops at a prerequisite that does not exist")
    p.set_defaults(run=build)
    p = sub.add_parser("functions")
    p.add_argument("cache")
    p.add_argument("zelvan")
    p.add_argument("tree", choices=["newlib", "linux"])
    p.add_argument("--min-recall", type=float, default=97)
    p.add_argument("--min-precision", type=float, default=99)
    p.set_defaults(run=functions)
    p = sub.add_parser("lcf")
    p.add_argument("cache")
    p.add_argument("zelvan")
    p.add_argument("scripts")
    p.add_argument("--max-wrong", type=int, default=0)
    p.add_argument("--min-areas", type=float, default=0)
    p.set_defaults(run=lcf)
    args = parser.parse_args()
    args.cache = os.path.abspath(args.cache)
    if hasattr(args, "zelvan"):
        args.zelvan = os.path.abspath(args.zelvan)
    args.run(args)


if __name__ == "__main__":
    main()
