#!/usr/bin/env python3
"""Size rule: no view file over 400 lines and no function over 80 lines. A view
file is a source or header outside the platform layer that includes a Qt
Widgets class (or whose header does). A function's length runs from the line its signature starts on to its
closing brace; lambdas count in the function they are written in.
    SizeReport.py [--widgets-headers DIR] [ROOT...]   (default root: src)"""

import os
import re
import sys

import lintsource

VIEW_FILE_LINES = 400
FUNCTION_LINES = 80
# Used when the Qt Widgets header folder is not given.
WIDGET_CLASSES = {"QWidget", "QDialog", "QLabel", "QAbstractButton", "QPushButton", "QFrame", "QScrollArea",
                  "QLayout", "QBoxLayout", "QVBoxLayout", "QHBoxLayout", "QGridLayout", "QFormLayout", "QLineEdit",
                  "QComboBox", "QCheckBox", "QSlider", "QSpinBox", "QMenu", "QTabWidget", "QStackedWidget",
                  "QApplication", "QListWidget", "QTableView", "QMainWindow", "QToolButton", "QGraphicsView"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"](?:QtWidgets/)?(\w+)[>"]', re.M)


def widget_classes(folder):
    if folder and os.path.isdir(folder):
        return {f for f in os.listdir(folder) if f.startswith("Q") and "." not in f}
    return WIDGET_CLASSES


def includes_widgets(path, classes):
    try:
        text = open(path, encoding="utf-8").read()
    except OSError:
        return False
    return any(name in classes for name in INCLUDE.findall(text))


def is_view(path, classes):
    pair = os.path.splitext(path)[0] + ".h"
    return includes_widgets(path, classes) or (pair != path and includes_widgets(pair, classes))


def functions(code):
    """(first line, last line) of each function body outside any other."""
    found = []
    stack = []  # "scope" (namespace, class, enum, extern) or "body"
    head_start = 0  # where the text before the next brace begins
    pending = None  # a function whose braced member initializer just closed
    for i, c in enumerate(code):
        if c == ";":
            if not stack or stack[-1] == "scope":
                head_start, pending = i + 1, None
        elif c == "{":
            if stack and stack[-1] != "scope":
                stack.append("block")
                continue
            # A member after an access label starts after it.
            labels = list(re.finditer(r"\b(?:public|protected|private)(?:\s+(?:slots|Q_SLOTS))?\s*:(?!:)",
                                      code[head_start:i]))
            if labels:
                head_start += labels[-1].end()
            head = code[head_start:i]
            words = head.split()
            if re.search(r"\b(namespace|class|struct|union|enum|extern)\b", head) and "(" not in head.split("=")[0]:
                stack.append("scope")
            elif ")" in head and not re.search(r"=\s*$|\breturn\b", head):
                start = head_start + len(head) - len(head.lstrip())
                stack.append(("function", pending if pending is not None else start))
            elif pending is not None and words and not head.strip().endswith("="):
                stack.append(("function", pending))
            else:
                stack.append("block")
            head_start = i + 1
        elif c == "}":
            if not stack:
                continue
            top = stack.pop()
            if isinstance(top, tuple) and (not stack or stack[-1] == "scope"):
                first = lintsource.line_of(code, top[1])
                last = lintsource.line_of(code, i)
                # A braced initializer (m_x{0}) closes at once: its body follows.
                if re.match(r"\s*[,{]", code[i + 1:i + 200]) and ":" in code[top[1]:i]:
                    pending = top[1]
                else:
                    found.append((first, last))
                    pending = None
            if not stack or stack[-1] == "scope":
                head_start = i + 1
    return found


def signature(lines, first):
    text = lines[first - 1].strip()
    return text if len(text) <= 90 else text[:87] + "..."


if __name__ == "__main__":
    args = sys.argv[1:]
    folder = None
    if args[:1] == ["--widgets-headers"]:
        folder, args = args[1], args[2:]
    classes = widget_classes(folder)
    findings = []
    for path in lintsource.sources(args or ["src"]):
        text = open(path, encoding="utf-8").read()
        lines = text.split("\n")
        count = len(lines) - (1 if text.endswith("\n") else 0)
        if count > VIEW_FILE_LINES and "/platform/" not in path and is_view(path, classes):
            findings.append(f"{path}:1: view file of {count} lines (over {VIEW_FILE_LINES})")
        for first, last in functions(lintsource.code_only(text)):
            if last - first + 1 > FUNCTION_LINES:
                findings.append(f"{path}:{first}: function of {last - first + 1} lines"
                                f" (over {FUNCTION_LINES}): {signature(lines, first)}")
    sys.exit(lintsource.report(findings, "files or functions over the size targets"))
