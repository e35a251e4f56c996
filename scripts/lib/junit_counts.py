#!/usr/bin/env python3
"""Counts one CTest run from its JUnit file (ctest --output-junit FILE).

Prints "PASSED FAILED SKIPPED" on one line, and on stderr the name and
reason of each test that was skipped or did not run. A test counts as
skipped only when CTest says it skipped (SKIP_RETURN_CODE, a
SKIP_REGULAR_EXPRESSION match or DISABLED); one that could not run (its
program is missing, a fixture it needs failed) counts as failed.
"""
import sys
import xml.etree.ElementTree as ElementTree

SKIP_REASONS = ("SKIP_RETURN_CODE", "SKIP_REGULAR_EXPRESSION_MATCHED", "Disabled")


def count(path):
    passed = failed = skipped = 0
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        name = case.get("name", "?")
        status = case.get("status", "")
        skip = case.find("skipped")
        if status == "run" and case.find("failure") is None:
            passed += 1
        elif status == "notrun" and skip is not None and \
                skip.get("message", "").startswith(SKIP_REASONS):
            skipped += 1
            print(f"skipped: {name} ({skip.get('message')})", file=sys.stderr)
        else:
            failed += 1
            if status == "notrun":
                reason = skip.get("message", "") if skip is not None else ""
                print(f"not run: {name} ({reason})", file=sys.stderr)
    return passed, failed, skipped


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: junit_counts.py JUNIT-FILE")
    try:
        passed, failed, skipped = count(sys.argv[1])
    except (OSError, ElementTree.ParseError) as error:
        sys.exit(f"junit_counts: {error}")
    print(passed, failed, skipped)


if __name__ == "__main__":
    main()
