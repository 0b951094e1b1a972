#!/usr/bin/env bash
# The manual pages kept in docs/ are what the build fills from the templates
# packaging/*.1.in, and git holds them so (staged or committed): a template
# changed without its page, or a page edited by hand, fails.
#   man_pages_in_docs_check.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source="$1" build="$2"
fail() { echo "man pages in docs check: $*" >&2; exit 1; }
for page in pelmora.1 pelmora-tile.1; do
  [ -s "$build/packaging/$page" ] || fail "the build made no $page"
  cmp -s "$build/packaging/$page" "$source/docs/$page" ||
    fail "docs/$page is not what packaging/$page.in gives: scripts/build refreshes it"
done
if ! git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "man pages in docs check: not a git work tree, only compared with the build"
  exit 0
fi
for page in pelmora.1 pelmora-tile.1; do
  git -C "$source" ls-files --error-unmatch "docs/$page" >/dev/null 2>&1 || fail "docs/$page is not in git"
  git -C "$source" diff --quiet -- "docs/$page" ||
    fail "docs/$page differs from the copy in git: add it with its template"
done
echo "man pages in docs check: docs/ holds the pages the templates give"
