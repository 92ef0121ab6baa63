#!/usr/bin/env python3
"""Fails when a settings key is spelled as a string literal outside the
settings schema (src/schema/). The keys and key prefixes are read from the
schema's own source, so the list never drifts from it.

usage: NoSettingsKeyLiterals.py <source dir> [folder under it ...]  (default: src)
"""
import pathlib
import re
import sys

SCHEMA = pathlib.Path("src/schema")


def digit_separator(text, i):
    """Whether the quote at i separates digits of a number (1'000'000, 0xFF'FF)."""
    j = i - 1
    while j >= 0 and (text[j].isalnum() or text[j] in "'_."):
        j -= 1
    return text[j + 1:i][:1].isdigit()


def literals(text):
    """(line, content) of every string literal of C++ source, comments skipped."""
    i, n, line = 0, len(text), 1
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
        elif text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            line += text.count("\n", i, end)
            i = end
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")
                                                         or text[i - 2:i] in ("u8", "LR") or text[i - 1] in "uUL"):
            open_paren = text.find("(", i + 2)
            delim = text[i + 2:open_paren]
            close = text.find(")" + delim + '"', open_paren)
            close = n if close < 0 else close
            body = text[open_paren + 1:close]
            yield line, body
            line += body.count("\n")
            i = close + len(delim) + 2
        elif c == '"':
            j = i + 1
            while j < n and text[j] != '"':
                j += 2 if text[j] == "\\" else 1
            yield line, text[i + 1:j]
            i = j + 1
        elif c == "'" and not digit_separator(text, i):
            j = i + 1
            while j < n and text[j] != "'":
                j += 2 if text[j] == "\\" else 1
            i = j + 1
        else:
            i += 1


def schema_keys(root):
    header = (root / SCHEMA / "SettingsSchema.h").read_text()
    source = (root / SCHEMA / "SettingsSchema.cpp").read_text()
    keys = set(re.findall(r'\bK::\w+\(\s*"([^"]+)"', header))
    prefixes = set(re.findall(r'\bKeyTemplate\s+\w+\s*\{\s*"([^"]+)"', header))
    prefixes |= set(re.findall(r'QLatin1String\("([^"]+\.)"\)', source))
    return keys, prefixes


def main():
    root = pathlib.Path(sys.argv[1])
    folders = sys.argv[2:] or ["src"]
    keys, prefixes = schema_keys(root)
    if len(keys) < 10 or len(prefixes) < 3:
        print(f"could not read the schema's keys ({len(keys)}) and prefixes ({len(prefixes)})")
        return 1
    found = []
    for folder in folders:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp") or (root / SCHEMA) in path.parents:
                continue
            for line, text in literals(path.read_text(errors="replace")):
                if text in keys or any(text.startswith(p) for p in prefixes):
                    found.append(f"{path.relative_to(root)}:{line}: \"{text}\"")
    if found:
        print("Settings keys spelled outside src/schema (name them through SettingsSchema):")
        print("\n".join("  " + f for f in found))
        return 1
    print(f"{len(keys)} keys and {len(prefixes)} prefixes appear only in the schema")
    return 0


if __name__ == "__main__":
    sys.exit(main())
