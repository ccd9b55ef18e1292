#!/usr/bin/env bash
# Loads the bash completion as bash-completion does and completes command lines with it: option
# names (all of those in `stencilor --help`), .ql files and folders for the project, the forms of
# a record span after --records. The fish completion is asked the same where fish is installed,
# and the zsh one is read by zsh where zsh is.
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
touch "$work/projects/cards.ql" "$work/projects/contacts.csv"
cd "$work/projects" || exit 1

# The candidates bash offers for the last of the words given, one a line, sorted.
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
        printf "%s\n" "${COMPREPLY[@]}" | sort' _ "$helpers" "$bash_completion" stencilor "$@"
}

# words typed (the last one being completed) | the candidates, blank-separated
cases=(
    "--ru|--run"
    "--dry|--dry-run"
    "--run |cards.ql sub"
    "--check |cards.ql sub"
    "--dry-run |cards.ql sub"
    "--run cards.ql --qu|--quiet"
    "--run cards.ql --records |-B A A- A-B"
    "--run cards.ql --records 2|"
    "--run cards.ql --records=|-B A A- A-B"
    "c|cards.ql"
)
for row in "${cases[@]}"; do
    IFS=' ' read -ra words <<<"${row%%|*}"
    [[ ${row%%|*} == *" " ]] && words+=("")
    expected=$(tr ' ' '\n' <<<"${row#*|}" | sed '/^$/d' | sort)
    check "bash: stencilor ${row%%|*}<Tab>" diff <(echo "$expected" | sed '/^$/d') <(bash_complete "${words[@]}" | sed '/^$/d')
done

# Every option of --help, and nothing else, after a lone "--".
"$bin" --help | sed -n '/^Options:$/,/^$/p' | grep -oE '^  -[^ ]+' | tr ',' '\n' | sed 's/^ *//' | grep -- '^--' |
    sort >"$work/help.txt"
check "bash: every option of --help" diff "$work/help.txt" <(bash_complete --)

if command -v fish >/dev/null; then
    fish_complete() { fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$fish_completion" "$1" | cut -f1; }
    check "fish: stencilor --ru<Tab>" test "$(fish_complete 'stencilor --ru')" = "--run"
    check "fish: .ql files first after --run" test "$(fish_complete 'stencilor --run ' | head -1)" = "cards.ql"
    check "fish: the forms after --records" diff <(printf '%s\n' -B A A- A-B) <(fish_complete 'stencilor --records ' | sort)
else
    echo "fish is not installed: its completion not checked"
fi
if command -v zsh >/dev/null; then
    check "zsh reads its completion" zsh -n "$zsh_completion"
else
    echo "zsh is not installed: its completion not checked"
fi

report_checks
