"""What the lint rules share: the C++ files of a tree, their text with comments
and the insides of literals blanked (so a rule sees only code, at the same
offsets and lines), and the finding format FILE:LINE: message."""

import os
import re
import sys

SUFFIXES = (".cpp", ".h")


def sources(roots):
    """Every C++ source and header under the roots, sorted."""
    found = []
    for root in roots:
        if os.path.isfile(root):
            found.append(root)
            continue
        for folder, dirs, files in os.walk(root):
            dirs.sort()
            found += [os.path.join(folder, f) for f in sorted(files) if f.endswith(SUFFIXES)]
    return found


def code_only(text):
    """The text with comments and the contents of string and character
    literals replaced by spaces; newlines, quotes and offsets are kept."""
    out = list(text)
    i, n = 0, len(text)

    def blank(start, end):
        for k in range(start, end):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            blank(i, end)
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            blank(i, end)
            i = end
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            if not m:
                i += 1
                continue
            close = ")" + m.group(1) + '"'
            end = text.find(close, i + m.end())
            end = n if end < 0 else end
            blank(i + 2, end)
            i = end + len(close)
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():
                start = i
                while start > 0 and (text[start - 1].isalnum() or text[start - 1] in "_'"):
                    start -= 1
                if text[start].isdigit():  # a digit separator: 1'000
                    i += 1
                    continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            blank(i + 1, min(j, n))
            i = j + 1
        else:
            i += 1
    return "".join(out)


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def report(findings, title, fail=True):
    """Prints the findings (FILE:LINE: message) and gives the exit status."""
    for f in findings:
        print(f)
    if findings:
        print(f"{len(findings)} {title}" + ("" if fail else " (reported, not failing)"))
    else:
        print(f"no {title}")
    return 1 if findings and fail else 0


def main_roots():
    return sys.argv[1:] or ["src"]
