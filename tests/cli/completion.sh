#!/bin/bash
# zarn-cli's completion as bash runs it, and its manual page as man shows it.
# Usage: completion.sh BUILD_DIR
# Not -e or -u: bash-completion's functions are not written for them.
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC1091
. /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1091
. "$build/share/completions/zarn-cli"

failures=0
# expect LINE WORDS...: completing LINE offers exactly WORDS.
expect() {
    local line="$1"; shift
    read -r -a COMP_WORDS <<< "$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE="$line" COMP_POINT=${#line} COMPREPLY=()
    _zarn_cli zarn-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    local got; got="$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')"
    if [[ $got != "$*" ]]; then
        echo "completing '$line': got '$got', expected '$*'"
        failures=$((failures + 1))
    fi
}

mkdir "$work/site"
touch "$work/a.zrt" "$work/b.zrd" "$work/page.html" "$work/notes.txt"
cd "$work"
expect "zarn-cli im" import
expect "zarn-cli --v" --version
expect "zarn-cli help te" templates
expect "zarn-cli html --p" --purpose
expect "zarn-cli html --purpose " 0 1 2
expect "zarn-cli html " a.zrt b.zrd site
expect "zarn-cli set " b.zrd site
expect "zarn-cli import " b.zrd page.html site
expect "zarn-cli templates " site
expect "zarn-cli new a.zrt x.zrd --webroot " site

page="$(MANWIDTH=100 man -l "$build/share/man/zarn-cli.1.gz" 2>&1)" || { echo "man failed: $page"; exit 1; }
for text in "ZARN-CLI(1)" "import PAGE DOCUMENT" "--template T" "EXIT STATUS" "FILES" "EXAMPLES"; do
    grep -qF -- "$text" <<< "$page" || { echo "the manual page lacks '$text'"; failures=$((failures + 1)); }
done
exit $((failures > 0))
