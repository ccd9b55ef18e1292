#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the completions of bash, zsh and fish as each shell runs them on a user's Tab and
# compares what they offer: option names, .ql files and folders for the project, .jsonl files
# after --merge-report, folders only after --output, archives after --archive, the formats the
# program takes after --format (as its refusal of an unknown one names them), and the forms of a
# record span. bash is driven through bash-completion's loader, zsh through its completion system
# in a pseudo-terminal, fish through `complete -C`.
# Usage: completion.sh STENCILOR BASH_COMPLETION ZSH_COMPLETION FISH_COMPLETION
set -uo pipefail
bin=$(realpath "$1")
bash_completion=$(realpath "$2")
zsh_completion=$(realpath "$3")
fish_completion=$(realpath "$4")
source "$(dirname "$0")/../check.sh"

helpers=/usr/share/bash-completion/bash_completion
if [ ! -f "$helpers" ]; then
    echo "FAILED: bash-completion is not installed ($helpers)" >&2
    exit 1
fi

mkdir -p "$work/projects/sub"
touch "$work/projects/"{cards.ql,contacts.csv,part-1.jsonl,out.tar}
cd "$work/projects" || exit 1

# The formats --format takes, from the program: `--format wants text or json, not "?"`.
formats=$("$bin" --check cards.ql --format '?' 2>&1 >/dev/null |
    sed -n 's/.*{\([^}]*\)}.*/\1/p; s/.*--format wants \(.*\), not .*/\1/p' | sed 's/, / /g; s/ or / /g; s/,/ /g')
check "the program names the formats it takes" test -n "$formats"

# The candidates each shell offers for the last of the words given, one a line, sorted, folders
# without their trailing slash.
bash_complete() {
    bash -c '
        source "$1" && source "$2" || exit 1
        shift 2
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}
        COMPREPLY=()
        _stencilor stencilor "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]:-}"
        printf "%s\n" "${COMPREPLY[@]}"' _ "$helpers" "$bash_completion" stencilor "$@" | sed '/^$/d' | sort -u
}
# zsh: an interactive zsh in a pseudo-terminal with the completion loaded, where every match the
# completion system adds is also printed; the line is typed with a Tab at its end.
cat >"$work/capture.zsh" <<'ZSH'
zmodload zsh/zpty || exit 1
zpty z TERM=dumb zsh -f -i
zpty -w z "PS1= PS2= RPS1=; cd ${(q)2}"
zpty -w z "fpath=(${(q)1} \$fpath); autoload -Uz compinit; compinit -u -C -d ${(q)1}/.zcompdump"
zpty -w z 'compadd() { local -a hits; builtin compadd -A hits "$@"; (( $#hits )) && print -rl -- "" "<m""m>"${^hits}; builtin compadd "$@"; }'
zpty -w z '_captured() { print -r -- "<e""nd>"; }; comppostfuncs=(_captured)'
zpty -n -w z "$3"$'\t'
zpty -r -m z all '*<end>*' || exit 1
for line in ${(f)all}; do
    line=${line//$'\r'/}
    [[ $line == '<mm>'* ]] && print -r -- ${line#<mm>}
done
zpty -d z
ZSH
mkdir -p "$work/zsh-functions"
cp "$zsh_completion" "$work/zsh-functions/_stencilor"
zsh_complete() {
    timeout 20 zsh -f "$work/capture.zsh" "$work/zsh-functions" "$work/projects" "stencilor $*" | sed 's|/$||' | sort -u
}
fish_complete() {
    fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$fish_completion" "stencilor $*" | cut -f1 |
        sed 's|/$||' | sort -u
}

shells=(bash)
command -v zsh >/dev/null && shells+=(zsh) || echo "zsh is not installed: its completion not checked"
command -v fish >/dev/null && shells+=(fish) || echo "fish is not installed: its completion not checked"

# words typed, the last one being completed | the candidates, blank-separated
cases=(
    "--ru|--run"
    "--dry|--dry-run"
    "--run |cards.ql sub"
    "--check |cards.ql sub"
    "--run cards.ql --qu|--quiet"
    "c|cards.ql"
    "--run cards.ql --output |sub"
    "--merge-report |part-1.jsonl sub"
    "--merge-report --output sub |part-1.jsonl sub"
    "--run cards.ql --archive |out.tar sub"
    "--run cards.ql --manifest |part-1.jsonl sub"
    "--run cards.ql --format |$formats"
)
for shell in "${shells[@]}"; do
    for row in "${cases[@]}"; do
        typed=${row%%|*}
        expected=$(tr ' ' '\n' <<<"${row#*|}" | sed '/^$/d' | sort -u)
        if [ "$shell" = bash ]; then
            IFS=' ' read -ra words <<<"$typed"
            [[ $typed == *" " ]] && words+=("")
            actual=$(bash_complete "${words[@]}")
        else
            actual=$("${shell}_complete" "$typed")
        fi
        check "$shell: stencilor $typed<Tab>" diff <(echo "$expected") <(echo "$actual")
    done
done

# The forms of a record span, which zsh shows as a message rather than as matches.
check "bash: the forms after --records" diff <(printf '%s\n' -B A A- A-B) <(bash_complete --run cards.ql --records "")
check "bash: --records=" diff <(printf '%s\n' -B A A- A-B) <(bash_complete --run cards.ql --records=)
check "bash: nothing once a span is begun" test -z "$(bash_complete --run cards.ql --records 2)"
if command -v fish >/dev/null; then
    check "fish: the forms after --records" diff <(printf '%s\n' -B A A- A-B) <(fish_complete '--records ')
fi

# Every option of --help, and nothing else, after a lone "--".
"$bin" --help | sed -n '/^Options:$/,/^$/p' | grep -oE '^  -[^ ]+' | tr ',' '\n' | sed 's/^ *//' | grep -- '^--' |
    sort >"$work/help.txt"
check "bash: every option of --help" diff "$work/help.txt" <(bash_complete --)

report_checks
