# SPDX-License-Identifier: MIT
"""Bad input raises, with the program's message line, and never crashes.

Each case runs in its own Python process, so a crash fails that case alone;
tetclean runs on the same files, and the exception carries its error line.
"""
import json
import os
import shutil
import signal
import subprocess
import sys

import numpy as np
import pytest

import levelset_prep as lp

CHILD = r"""
import json, sys
import levelset_prep as lp
node, ele, level_set, parameters, node_out, ele_out = sys.argv[1:]
try:
    mesh = lp.read_mesh(node, ele)
    grid = lp.read_level_set(level_set, parameters)
    lp.write_mesh(lp.clean(mesh, grid).mesh, node_out, ele_out)
    print(json.dumps(None))
except (OSError, ValueError, MemoryError) as error:
    text = error.strerror if isinstance(error, OSError) else str(error)
    print(json.dumps([type(error).__name__, getattr(error, "errno", None),
                      getattr(error, "filename", None), text]))
"""

GOOD_NODES = "5 3\n1 0 0 0\n2 1 0 0\n3 0 1 0\n4 0 0 1\n5 1 1 1\n"
GOOD_ELEMENTS = "2 4 1\n1 1 2 3 4 0\n2 2 3 4 5 1\n"
FOLDER = object()
MISSING = object()

# (what, file changed, its content, exception type)
CASES = [
    ("node file missing", "in.node", MISSING, "FileNotFoundError"),
    ("node file is a folder", "in.node", FOLDER, "IsADirectoryError"),
    ("node count not whole", "in.node", "5.5 3\n", "ValueError"),
    ("node count negative", "in.node", "-5 3\n", "ValueError"),
    ("node count beyond the file", "in.node", "2000000000 3\n1 0 0 0\n", "ValueError"),
    ("node file cut short", "in.node", GOOD_NODES[:-12], "ValueError"),
    ("coordinate not a number", "in.node", GOOD_NODES.replace("1 1 1", "1 x 1"), "ValueError"),
    ("node file of NUL bytes", "in.node", "\0" * 64, "ValueError"),
    ("node file empty", "in.node", "", "ValueError"),
    ("dimension 2", "in.node", "5 2 0 0\n1 0 0\n", "ValueError"),
    ("corner beyond the nodes", "in.ele", GOOD_ELEMENTS.replace("2 3 4 5", "2 3 4 6"),
     "ValueError"),
    ("corner 0 in a one-based file", "in.ele", GOOD_ELEMENTS.replace("1 1 2", "1 0 2"),
     "ValueError"),
    ("element file cut short", "in.ele", GOOD_ELEMENTS[:-4], "ValueError"),
    ("element count huge", "in.ele", "2147483647 4 1\n1 1 2 3 4 0\n", "ValueError"),
    ("element file missing", "in.ele", MISSING, "FileNotFoundError"),
    ("level-set file missing", "ls.txt", MISSING, "FileNotFoundError"),
    ("level-set file is a folder", "ls.txt", FOLDER, "IsADirectoryError"),
    ("parameter file is a folder", "params.txt", FOLDER, "IsADirectoryError"),
    ("level-set file short", "ls.txt", "1 2 3\n", "ValueError"),
    ("level-set value not a number", "ls.txt", "1 2 x\n", "ValueError"),
    ("parameter file missing", "params.txt", MISSING, "FileNotFoundError"),
    ("parameter file malformed", "params.txt", "12 twelve 12\n", "ValueError"),
    ("grid beyond 32 bits", "params.txt", "2000000000 2000000000 2000000000\n", "ValueError"),
]


def put(path, content):
    if os.path.isdir(path):
        shutil.rmtree(path)
    elif os.path.exists(path):
        os.remove(path)
    if content is FOLDER:
        os.mkdir(path)
    elif content is not MISSING:
        with open(path, "w") as file:
            file.write(content)


@pytest.mark.parametrize("what, changed, content, error", CASES, ids=[c[0] for c in CASES])
def test_bad_input_raises_the_program_line(tetclean, tmp_path, what, changed, content, error):
    put(tmp_path / "in.node", GOOD_NODES)
    put(tmp_path / "in.ele", GOOD_ELEMENTS)
    put(tmp_path / "params.txt", "1 1 1\n")
    put(tmp_path / "ls.txt", "1.0\n" * (40 * 40 * 40))
    put(tmp_path / changed, content)
    names = [str(tmp_path / n) for n in ("in.node", "in.ele", "ls.txt", "params.txt")]
    outputs = [str(tmp_path / n) for n in ("out.node", "out.ele")]
    program = subprocess.run([tetclean, names[0], names[1], *outputs, names[2], names[3]],
                             capture_output=True, text=True)
    assert program.returncode == 1
    line = program.stderr.splitlines()[-1].removeprefix("tetclean: ")
    child = subprocess.run([sys.executable, "-c", CHILD, *names, *outputs],
                           capture_output=True, text=True)
    assert child.returncode == 0, child.stderr
    kind, number, filename, text = json.loads(child.stdout)
    assert (kind, text) == (error, line)
    if kind != "ValueError":
        assert number == getattr(__import__("errno"), {
            "FileNotFoundError": "ENOENT", "IsADirectoryError": "EISDIR"}[kind])
        assert filename == str(tmp_path / changed)
    assert not any(os.path.exists(output) for output in outputs)


def tiny_mesh():
    return lp.Mesh([[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1]], [[0, 1, 2, 3]], [0])


@pytest.mark.parametrize("call, error, text", [
    (lambda d: lp.write_mesh(tiny_mesh(), d / "no" / "a.node", d / "a.ele"), FileNotFoundError,
     "cannot create output file: No such file or directory"),
    (lambda d: lp.write_mesh(tiny_mesh(), d / "a", d / "a"), ValueError,
     "ele_file names the same file as node_file"),
    (lambda d: lp.write_mesh(tiny_mesh(), d / "a", d / "b", layout="xml"), ValueError,
     "layout must be"),
    (lambda d: lp.write_mesh(tiny_mesh(), d / "a", d / "b", threads=0), ValueError,
     "threads must be a whole number from 1, not 0"),
    (lambda d: lp.read_mesh(d / ("x" * 5000), d / "b"), OSError, "File name too long"),
    (lambda d: lp.LevelSetGrid(np.zeros((3, 3))), ValueError, "shape \\(nx, ny, nz\\)"),
    (lambda d: lp.LevelSetGrid(np.array([[["a"]]])), ValueError, "must hold numbers"),
    (lambda d: lp.clean(tiny_mesh(), lp.LevelSetGrid(np.zeros((0, 0, 0)))), None, None),
    (lambda d: lp.clean(tiny_mesh(), None), TypeError, "incompatible function arguments"),
])
def test_refusals_of_the_module(tmp_path, call, error, text):
    if error is None:
        call(tmp_path)
        return
    with pytest.raises(error, match=text):
        call(tmp_path)


def test_no_signal_handler_is_installed(examples):
    names = ("SIGINT", "SIGTERM", "SIGHUP", "SIGPIPE")
    before = {name: signal.getsignal(getattr(signal, name)) for name in names}
    mesh = lp.read_mesh(os.path.join(examples, "mesh.node"), os.path.join(examples, "mesh.ele"))
    lp.clean(mesh, lp.LevelSetGrid(np.zeros((40, 40, 40))))
    assert {name: signal.getsignal(getattr(signal, name)) for name in names} == before
