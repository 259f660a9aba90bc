#!/usr/bin/env python3
"""Checks the parts of run_case.py that loosen or shape a comparison: the
{HEX8} code offsets in expected.out, and the case files args and
setup.values. No Wine needed."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_case  # noqa: E402

FAILURE = b"Exception E in module m.exe at {HEX8}.\r\nMessage.\r\n\r\n"


class FillCodeOffsetsTest(unittest.TestCase):
    def test_placeholder_takes_exactly_eight_upper_case_hex_digits(self):
        cases = [
            (b"at 00005A45.\r\n", True),
            (b"at 0123ABCD.\r\n", True),
            (b"at 00005a45.\r\n", False),   # lower case
            (b"at 0005A45.\r\n", False),    # seven digits
            (b"at 000005A45.\r\n", False),  # nine digits
            (b"at 0000GA45.\r\n", False),   # not hex
            (b"at 00005A45\r\n", False),    # the dot behind it missing
            (b"at 00005A45.\n", False),     # line end changed
        ]
        for actual, accepted in cases:
            with self.subTest(actual=actual):
                filled = run_case.fill_code_offsets(b"at {HEX8}.\r\n", actual)
                self.assertEqual(filled == actual, accepted)

    def test_other_lines_still_compare_exactly(self):
        actual = FAILURE.replace(b"{HEX8}", b"00001000")
        self.assertEqual(run_case.fill_code_offsets(FAILURE, actual), actual)
        for changed in (actual[:-2], actual + b"\r\n",
                        actual.replace(b"Message.", b"Message")):
            with self.subTest(changed=changed):
                self.assertNotEqual(
                    run_case.fill_code_offsets(FAILURE, changed), changed)

    def test_a_mismatch_elsewhere_leaves_the_offset_line_filled(self):
        # The difference then shows on the changed line alone.
        actual = b"at 00001000.\r\nother\r\n"
        filled = run_case.fill_code_offsets(b"at {HEX8}.\r\nline\r\n", actual)
        self.assertEqual(filled, b"at 00001000.\r\nline\r\n")

    def test_several_placeholders_and_none(self):
        expected = b"{HEX8} and {HEX8}\r\n"
        actual = b"00000001 and FFFFFFFF\r\n"
        self.assertEqual(run_case.fill_code_offsets(expected, actual), actual)
        self.assertEqual(run_case.fill_code_offsets(b"plain\r\n", b"other"),
                         b"plain\r\n")
        self.assertEqual(run_case.fill_code_offsets(b"{HEX8}", b""),
                         b"{HEX8}")


class CaseFilesTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def write(self, name, data):
        with open(os.path.join(self.folder.name, name), "wb") as file:
            file.write(data)

    def test_args_one_per_line_and_empty_lines_are_empty_arguments(self):
        self.assertEqual(run_case.read_case_args(self.folder.name), [])
        self.write("args", b"/?\n\na b  c\n")
        self.assertEqual(run_case.read_case_args(self.folder.name),
                         ["/?", "", "a b  c"])

    def test_setup_values_four_tab_separated_fields(self):
        self.write("setup.values",
                   b"Software\\K 1\tComments\t1\t61,62\n\nK2\tN\t4\t\n")
        self.assertEqual(run_case.read_case_values(self.folder.name),
                         [("Software\\K 1", "Comments", "1", "61,62"),
                          ("K2", "N", "4", "")])
        for bad in (b"K\tComments\t1\n", b"K\tComments\tREG_SZ\t61\n"):
            with self.subTest(bad=bad):
                self.write("setup.values", bad)
                with self.assertRaises(run_case.CaseError):
                    run_case.read_case_values(self.folder.name)


if __name__ == "__main__":
    unittest.main()
