#!/usr/bin/env bash
# Fails when the tests outgrow their share of the code: non-blank, non-comment lines of the
# test sources (tests/ and the test files under tools/) may be at most 40% of those under src/.
# With --report it prints the share and succeeds whatever it is.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=40

# Lists the files under the given git pathspecs, or finds them when this is no git checkout.
files() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -- "$@"
    else
        find src tests tools -type f | grep -E "^($(IFS='|'; echo "${*//\*/.*}"))"
    fi
}

count() {
    files "$@" | grep -E '\.(cpp|cc|h|hpp|sh|py)$' | xargs -r cat | grep -cvE '^\s*(//.*)?$' || true
}

tests=$(count tests 'tools/*_test.cpp')
code=$(count src)
percent=$((100 * tests / code))
echo "Test budget: ${tests} test lines against ${code} lines of code (${percent}%, at most ${limit}%)."
if ((100 * tests > limit * code)); then
    echo "The tests are over budget: merge cases into tables and scenarios, drop checks that" \
        "repeat a neighbour or restate the code." >&2
    [[ ${1:-} == --report ]] || exit 1
fi
