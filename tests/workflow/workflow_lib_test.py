#!/usr/bin/env python3
"""The workflow's helpers: output naming, the input list, brevanto-batch's summary lines.
Run as: workflow_lib_test.py SOURCE_DIR (unittest's own options may follow)."""

import os
import re
import sys
import tempfile
import unittest

SOURCE_DIR = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else ".")
sys.path.insert(0, os.path.join(SOURCE_DIR, "workflow", "lib"))

import failure_list  # noqa: E402
import input_list  # noqa: E402
import output_naming  # noqa: E402
import summary_lines  # noqa: E402
from summary_lines import SummaryRow  # noqa: E402

try:
    from snakemake.io import regex, update_wildcard_constraints
except ImportError:  # the naming cases still run; only the agreement with Snakemake is skipped
    regex = None


class OutputNaming(unittest.TestCase):
    CASES = [
        # input, suffix, output, open format
        ("/d/x.raw", "_BRV", "/d/x_BRV.raw", False),
        ("/d/a.b.raw", "_BRV", "/d/a.b_BRV.raw", False),
        ("/d/X.RAW", "_f", "/d/X_f.RAW", False),
        ("/d/e/x.mzML", "_BRV", "/d/e/x_BRV.mzML", True),
        ("/d/x.mzXML", "_BRV", "/d/x_BRV.mzXML", True),
        ("/d/x.MZXML", "_BRV", "/d/x_BRV.MZXML", True),
        ("/d/x.mzML.gz", "_BRV", "/d/x_BRV.mzML.gz", True),
        ("/d/run.7.mzXML.gz", "-filtered", "/d/run.7-filtered.mzXML.gz", True),
        ("/d/x.raw.gz", "_BRV", "/d/x_BRV.raw.gz", False),
        ("/d/.hidden.raw", "_BRV", "/d/.hidden_BRV.raw", False),
        ("/d/noextension", "_BRV", "/d/noextension_BRV", False),
        ("/d/x.mzML.raw", "_BRV", "/d/x.mzML_BRV.raw", False),
        ("/d/with space/a run.raw", "_BRV", "/d/with space/a run_BRV.raw", False),
    ]

    def test_output_path(self):
        for path, suffix, expected, _ in self.CASES:
            with self.subTest(path=path, suffix=suffix):
                self.assertEqual(output_naming.output_path(path, suffix), expected)

    def test_open_format(self):
        for path, _, _, open_format in self.CASES:
            with self.subTest(path=path):
                self.assertEqual(output_naming.is_open_format(path), open_format)

    def test_raw_output_completes_with_its_record(self):
        self.assertEqual(output_naming.completion_target("/d/x.raw", "_BRV"),
                         "/d/x_BRV.raw/brv-manifest.bin")
        self.assertEqual(output_naming.completion_target("/d/x.mzML", "_BRV"), "/d/x_BRV.mzML")

    def test_paths_that_cannot_be_split(self):
        for path in ["/x.raw", "relative/x.raw", "/d/"]:
            with self.subTest(path=path):
                with self.assertRaises(output_naming.InputPathError):
                    output_naming.split_input(path)

    @unittest.skipIf(regex is None, "snakemake is not installed")
    def test_snakemake_splits_result_paths_as_the_workflow_does(self):
        # The summary path is what Snakemake matches to find a job's wildcards; a different
        # split would ask the job for an output nobody writes.
        pattern = update_wildcard_constraints(
            "/r/summaries/{folder}/{stem}{ext}.tsv", {},
            {"folder": output_naming.FOLDER, "stem": output_naming.STEM,
             "ext": output_naming.EXTENSION})
        matcher = re.compile(regex(pattern))
        for path, _, _, _ in self.CASES:
            with self.subTest(path=path):
                match = matcher.match(f"/r/summaries/{output_naming.result_key(path)}.tsv")
                self.assertIsNotNone(match)
                self.assertEqual((match.group("folder"), match.group("stem"),
                                  match.group("ext")), output_naming.split_input(path))


class SummaryLines(unittest.TestCase):
    IN, OUT = "/d/a.raw", "/d/a_BRV.raw"

    def test_rows(self):
        lines = [
            "/d/a.raw -> /d/a_BRV.raw  function 1: 400 peaks read, 12 kept",
            "/d/a.raw -> /d/a_BRV.raw  function 2: 7 peaks read, 7 kept (no rules: copied whole)",
        ]
        self.assertEqual(summary_lines.parse_summary(lines, self.IN, self.OUT), [
            SummaryRow(self.IN, "1", "400", "12", "filtered"),
            SummaryRow(self.IN, "2", "7", "7", "copied whole"),
        ])

    def test_lines_not_taken(self):
        cases = [
            ("another input", "/d/a.raw2 -> /d/a_BRV.raw  function 1: 4 peaks read, 1 kept"),
            ("another output", "/d/a.raw -> /d/b_BRV.raw  function 1: 4 peaks read, 1 kept"),
            ("a message", "brevanto-batch: /d/a.raw: cannot open"),
            ("a newer tail", "/d/a.raw -> /d/a_BRV.raw  function 1: 4 peaks read, 1 kept, 3 s"),
            ("a negative count", "/d/a.raw -> /d/a_BRV.raw  function 1: -4 peaks read, 1 kept"),
            ("a single space", "/d/a.raw -> /d/a_BRV.raw function 1: 4 peaks read, 1 kept"),
        ]
        for label, line in cases:
            with self.subTest(label):
                self.assertEqual(summary_lines.parse_summary([line], self.IN, self.OUT), [])

    def test_no_functions(self):
        rows = summary_lines.parse_summary([f"{self.IN} -> {self.OUT}  no functions"],
                                           self.IN, self.OUT)
        self.assertEqual(rows, [SummaryRow(self.IN, "", "", "", "no functions")])

    def test_arrows_inside_paths(self):
        path, out = "/d/x -> y.raw", "/d/x -> y_BRV.raw"
        line = f"{path} -> {out}  function 3: 5 peaks read, 2 kept"
        self.assertEqual(summary_lines.parse_summary([line], path, out),
                         [SummaryRow(path, "3", "5", "2", "filtered")])
        self.assertEqual(summary_lines.outputs_named([line], path), [out])

    def test_outputs_named(self):
        lines = [
            "/d/x.mzXML -> /d/x_BRV.mzML  function 1: 4 peaks read, 1 kept",
            "/d/x.mzXML -> /d/x_BRV.mzML  function 2: 4 peaks read, 4 kept",
            "brevanto-batch: something else",
        ]
        self.assertEqual(summary_lines.outputs_named(lines, "/d/x.mzXML"), ["/d/x_BRV.mzML"])


class InputList(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.base = self.dir.name
        for name in ["a.raw", "b.raw", "a_BRV.raw", "c.mzML", "c_BRV.mzML"]:
            os.makedirs(os.path.join(self.base, "s"), exist_ok=True)
            path = os.path.join(self.base, "s", name)
            if name.endswith(".raw"):
                os.mkdir(path)
            else:
                open(path, "w").close()

    def tearDown(self):
        self.dir.cleanup()

    def sheet(self, text):
        path = os.path.join(self.base, "sheet.txt")
        with open(path, "w", newline="") as f:
            f.write(text)
        return path

    def collect(self, patterns, sheet=""):
        return input_list.collect_inputs(patterns, sheet, self.base, "_BRV")

    def s(self, name):
        return os.path.join(self.base, "s", name)

    def test_globs_leave_out_earlier_outputs(self):
        self.assertEqual(self.collect(["s/*.raw", "s/*.mzML"]),
                         [self.s("a.raw"), self.s("b.raw"), self.s("c.mzML")])

    def test_sheet_lines(self):
        sheet = self.sheet(f"# study\r\ns/b.raw\r\n\r\n   \n{self.s('a.raw')}/\n./s/../s/c.mzML\n")
        self.assertEqual(self.collect([], sheet),
                         [self.s("b.raw"), self.s("a.raw"), self.s("c.mzML")])

    def test_an_input_given_twice_counts_once(self):
        sheet = self.sheet("s/b.raw\ns/a.raw\n")
        self.assertEqual(self.collect(["s/*.raw"], sheet), [self.s("a.raw"), self.s("b.raw")])

    def test_refusals(self):
        cases = [
            ("nothing", [], "", "no inputs"),
            ("missing", [], "s/a.raw\ns/gone.raw\n", "gone.raw: no such file"),
            ("an output listed", [], "s/a.raw\ns/a_BRV.raw\n", "also the output of"),
            ("no sheet", [], "missing-sheet.txt", "sample sheet"),
        ]
        for label, patterns, sheet_text, message in cases:
            with self.subTest(label):
                sheet = "missing-sheet.txt" if label == "no sheet" else (
                    self.sheet(sheet_text) if sheet_text else "")
                with self.assertRaisesRegex(input_list.InputListError, message):
                    self.collect(patterns, sheet)


class FailureList(unittest.TestCase):
    def test_rows(self):
        cases = [
            # label, log text (None: no log), summary written, expected message (None: no row)
            ("brevanto-batch's words first",
             "$ brevanto-batch x\nbrevanto-batch: /d/x.raw: cannot open\n"
             "brevanto workflow: /d/x.raw: brevanto-batch failed (exit status 1)\n",
             False, "brevanto-batch: /d/x.raw: cannot open"),
            ("the workflow's when it alone spoke",
             "$ brevanto-batch x\nbrevanto workflow: /d/x.raw: brevanto-batch succeeded but "
             "printed no summary line for it\n", False,
             "brevanto workflow: /d/x.raw: brevanto-batch succeeded but printed no summary "
             "line for it"),
            ("a program that would not start",
             "$ /no/brevanto-batch x\ncannot run /no/brevanto-batch: No such file or directory\n",
             False, "cannot run /no/brevanto-batch: No such file or directory"),
            ("a stopped job", "$ brevanto-batch x\n", False,
             "no message in the log (the job was stopped?)"),
            ("done", "$ brevanto-batch x\n", True, None),
            ("never run", None, False, None),
        ]
        with tempfile.TemporaryDirectory() as d:
            for i, (label, log_text, done, expected) in enumerate(cases):
                with self.subTest(label):
                    log = os.path.join(d, f"{i}.log")
                    summary = os.path.join(d, f"{i}.tsv")
                    if log_text is not None:
                        with open(log, "w") as f:
                            f.write(log_text)
                    if done:
                        open(summary, "w").close()
                    rows = failure_list.failure_rows([("/d/x.raw", summary, log)])
                    self.assertEqual(rows, [] if expected is None else
                                     [["/d/x.raw", log, expected]])


if __name__ == "__main__":
    unittest.main()
