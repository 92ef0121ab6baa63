#!/usr/bin/env python3
"""No translatable sentence built from pieces: a tr() text joined with + or %
to anything (another tr() text, a QString, a literal), before or after its
.arg() calls, or grown with += or append/prepend. A translator sees each tr()
text alone, so a sentence in pieces cannot be translated; write the whole
sentence with placeholders: tr("Pressure: %1").arg(verdict).
A line that must join (say, data the sentence does not contain) says why:
    // lint: allow tr-concatenation (reason)
on that line or the line before.
    NoTrConcatenation.py [ROOT...]     scan (default: src)
    NoTrConcatenation.py --self-test   check the rule on its own cases"""

import re
import sys

import lintsource

CALL = re.compile(r"(?<![\w.])(?:\w+::)*(?:tr|(?:QCoreApplication|QApplication|QGuiApplication)::translate)\s*\(")
ALLOW = "lint: allow tr-concatenation"
GROWERS = ("append", "prepend", "insert")


def closing(code, open_paren):
    """The offset just past the parenthesis that closes the one at open_paren."""
    depth = 0
    for i in range(open_paren, len(code)):
        if code[i] == "(":
            depth += 1
        elif code[i] == ")":
            depth -= 1
            if depth == 0:
                return i + 1
    return len(code)


def skip_space(code, i):
    while i < len(code) and code[i].isspace():
        i += 1
    return i


def joins(code):
    """Offsets of the tr() calls whose text is joined to something."""
    found = []
    for m in CALL.finditer(code):
        end = closing(code, m.end() - 1)
        joined = False
        # Follow the call's chain: .arg(...), .toUpper(), ...
        while True:
            i = skip_space(code, end)
            chained = re.match(r"\.\s*(\w+)\s*\(", code[i:])
            if not chained:
                break
            if chained.group(1) in GROWERS:
                joined = True
            end = closing(code, i + chained.end() - 1)
        i = skip_space(code, end)
        if i < len(code) and code[i] in "+%" and not code.startswith("++", i):
            joined = True
        before = code[: m.start()].rstrip()
        if before.endswith(("+", "+=", "%", "%=")) and not before.endswith("++"):
            joined = True
        if joined:
            found.append(m.start())
    return found


def scan(path):
    text = open(path, encoding="utf-8").read()
    lines = text.split("\n")
    code = lintsource.code_only(text)
    findings = []
    for offset in joins(code):
        line = lintsource.line_of(code, offset)
        if ALLOW in lines[line - 1] or (line > 1 and ALLOW in lines[line - 2]):
            continue
        findings.append(f"{path}:{line}: translatable text joined to another piece: {lines[line - 1].strip()}")
    return findings


CASES = [
    # (code, how many joins)
    ('label->setText(tr("Pressure: ") + verdict);', 1),
    ('return tr("Updated ") + when + tr(" ago");', 2),
    ('return tr("a") + tr("b");', 2),
    ('return name + QStringLiteral(": ") + tr("paused");', 1),
    ('return tr("%1 of %2").arg(a).arg(b) + QLatin1Char(\'.\');', 1),
    ('text += tr("(paused)");', 1),
    ('text = tr("Total").append(suffix);', 1),
    ('return tr("a", "context") % x;', 1),
    ('return MemoryView::tr("Swap:")\n        + x;', 1),
    ('return QCoreApplication::translate("Gate", "Minimum") + v;', 1),
    ('return tr("Pressure: %1").arg(verdict);', 0),
    ('return tr("%1 %2").arg(a, b).toUpper();', 0),
    ('return ok ? tr("Yes") : tr("No");', 0),
    ('const QString s = a + b; setText(tr("x"));', 0),
    ('QStringList{tr("CPU"), tr("GPU")};', 0),
    ('painter.translate(x) + y;', 0),
    ('const int n = attr(x) + 1;', 0),
    ('// tr("a") + b in a comment', 0),
    ('auto s = QStringLiteral("tr(\\"a\\") + b");', 0),
    ('parts = s.split(u\'"\'); setText(tr("x").arg(parts.size()) + u\'.\');', 1),
    ('const int n = 1\'000 + 1; setText(tr("y"));', 0),
    ('auto s = tr("a") + b; // lint: allow tr-concatenation (b is data)', 0),
]


def self_test():
    failed = 0
    for code, want in CASES:
        got = len(joins(lintsource.code_only(code)))
        if ALLOW in code:
            got = 0
        if got != want:
            print(f"case {code!r}: {got} joins found, {want} expected")
            failed += 1
    print(f"{len(CASES) - failed} of {len(CASES)} cases right")
    return 1 if failed else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--self-test"]:
        sys.exit(self_test())
    findings = []
    for path in lintsource.sources(lintsource.main_roots()):
        findings += scan(path)
    sys.exit(lintsource.report(findings, "tr() texts joined to other pieces"))
