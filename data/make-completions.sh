#!/usr/bin/env bash
# Writes the shell completions of stencilor from the program's own `--help`, so that they offer
# exactly the options the program has: OUTDIR/stencilor (bash), OUTDIR/_stencilor (zsh) and
# OUTDIR/stencilor.fish. Usage: make-completions.sh STENCILOR OUTDIR
#
# What follows an option comes from the value type --help shows beside it: `{a,b}` offers a and
# b, a type naming DIR offers folders, FILE, PATH or plain TEXT offer files, a number type offers
# nothing, and any other type is shown as a hint. A few options have forms of their own (below).
# The project file, the one positional argument, completes to .ql files.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: make-completions.sh STENCILOR OUTDIR" >&2
    exit 64
fi
stencilor=$1
out=$2

# Options whose value has forms of its own: the option, then each form and what it means.
declare -A forms=(
    [--records]="A-B:records A to B|A-:from record A to the end|-B:records 1 to B|A:record A alone"
    [--shard]="K/N:part K of N of the job"
)

# The "Options:" block of --help, one line per option: SPELLINGS, TYPE and DESCRIPTION separated
# by the unit separator (a tab would merge with an empty TYPE when read back).
# CLI11 prints `-h,--help   text` or `--records TEXT   text`, a description going on over lines
# indented under it, and after the type possibly a default `[x]`, REQUIRED or `Needs: ...`.
parse_help() {
    awk '
        function flush() {
            if (names != "") print names "\037" type "\037" desc
            names = ""
        }
        /^Options:$/ { inside = 1; next }
        !inside { next }
        /^$/ || /^[^ ]/ { flush(); inside = 0; next }
        /^  -/ {
            flush()
            line = substr($0, 3)
            if (match(line, /   */)) {
                head = substr(line, 1, RSTART - 1)
                desc = substr(line, RSTART + RLENGTH)
            } else {
                head = line
                desc = ""
            }
            count = split(head, word, " ")
            names = word[1]
            gsub(",", " ", names)
            type = ""
            if (count > 1 && word[2] !~ /:$/ && word[2] !~ /^\[/ && word[2] != "REQUIRED")
                type = word[2]
            next
        }
        names != "" {
            text = $0
            sub(/^ +/, "", text)
            desc = desc == "" ? text : desc " " text
        }
        END { flush() }
    '
}

mapfile -t options < <("$stencilor" --help | parse_help)
if [ ${#options[@]} -eq 0 ]; then
    echo "make-completions.sh: no options found in the output of $stencilor --help" >&2
    exit 1
fi

# What an option's value is: forms, choices, dir, file, none (a number) or hint.
value_kind() { # value_kind LONG_NAME TYPE
    if [ -n "${forms[$1]:-}" ]; then
        echo forms
    elif [ -z "$2" ]; then
        echo switch
    elif [[ $2 == *\{*\}* ]]; then
        echo choices
    elif [[ $2 == *DIR* ]]; then
        echo dir
    elif [[ $2 == *FILE* || $2 == *PATH* || $2 == TEXT ]]; then
        echo file
    elif [[ $2 =~ ^(U?INT|FLOAT|NUMBER|POSITIVE|NONNEGATIVE)(:|$) ]]; then
        echo none
    else
        echo hint
    fi
}
# The words between the braces of a type such as TEXT:{csv,html}, separated by blanks.
choices_of() {
    local set=${1#*\{}
    set=${set%%\}*}
    echo "${set//,/ }"
}
long_name() { # the --spelling of a SPELLINGS list, else its first one
    local name
    for name in $1; do
        [[ $name == --* ]] && { echo "$name"; return; }
    done
    echo "${1%% *}"
}

mkdir -p "$out"

# bash: bash-completion's helpers split `--opt=value` and complete file names.
{
    echo "# bash completion for stencilor(1), written by make-completions.sh from \`stencilor --help\`."
    echo "_stencilor()"
    echo "{"
    echo "    local cur prev words cword split"
    echo "    _init_completion -s || return"
    echo ""
    echo "    case \$prev in"
    all=()
    for option in "${options[@]}"; do
        IFS=$'\037' read -r names type _ <<<"$option"
        all+=($names)
        long=$(long_name "$names")
        kind=$(value_kind "$long" "$type")
        pattern=${names// /|}
        case $kind in
        switch) continue ;;
        forms)
            list=()
            IFS='|' read -ra entries <<<"${forms[$long]}"
            for entry in "${entries[@]}"; do list+=("'${entry%%:*}'"); done
            echo "        $pattern)"
            echo "            # The forms of the value, listed as a hint while nothing is typed."
            echo "            [[ -z \$cur ]] && COMPREPLY=(${list[*]})"
            ;;
        choices) printf '        %s)\n            COMPREPLY=($(compgen -W %q -- "$cur"))\n' "$pattern" "$(choices_of "$type")" ;;
        dir) printf '        %s)\n            _filedir -d\n' "$pattern" ;;
        file) printf '        %s)\n            _filedir\n' "$pattern" ;;
        none | hint) printf '        %s)\n            # %s: nothing to offer\n' "$pattern" "$type" ;;
        esac
        echo "            return"
        echo "            ;;"
    done
    echo "    esac"
    echo "    \$split && return"
    echo ""
    echo "    if [[ \$cur == -* ]]; then"
    echo "        COMPREPLY=(\$(compgen -W '${all[*]}' -- \"\$cur\"))"
    echo "        return"
    echo "    fi"
    echo "    _filedir ql"
    echo "}"
    echo "complete -F _stencilor stencilor"
} >"$out/stencilor"

# zsh: one _arguments specification per option.
zsh_text() { # text safe inside '...[TEXT]' of an _arguments specification
    local text=${1//\\/\\\\}
    text=${text//\[/\\[}
    text=${text//\]/\\]}
    text=${text//:/\\:}
    echo "${text//\'/\'\\\'\'}"
}
{
    echo "#compdef stencilor"
    echo "# zsh completion for stencilor(1), written by make-completions.sh from \`stencilor --help\`."
    echo ""
    echo "_arguments -s -S : \\"
    for option in "${options[@]}"; do
        IFS=$'\037' read -r names type desc <<<"$option"
        long=$(long_name "$names")
        kind=$(value_kind "$long" "$type")
        description=$(zsh_text "$desc")
        exclusive=""
        [[ $long == --help || $long == --version ]] && exclusive="(- *)"
        case $kind in
        switch) action="" ;;
        forms)
            list=()
            IFS='|' read -ra entries <<<"${forms[$long]}"
            for entry in "${entries[@]}"; do list+=("${entry%%:*}"); done
            others=${list[*]:1}
            hint=${list[0]}
            [ -n "$others" ] && hint="$hint (or ${others// /, })"
            action=":$(zsh_text "$hint"): "
            ;;
        choices) action=":value:($(choices_of "$type"))" ;;
        dir) action=":folder:_files -/" ;;
        file) action=":file:_files" ;;
        none | hint) action=":$(zsh_text "$type"): " ;;
        esac
        equals=""
        [ -n "$action" ] && equals="="
        if [ "${names// /}" != "$names" ]; then
            spellings=${names// /,}
            echo "    '${exclusive:-($names)}'{$spellings}'$equals[$description]$action' \\"
        else
            echo "    '$exclusive$names$equals[$description]$action' \\"
        fi
    done
    echo "    '*:project file:_files -g \"*.ql(-.)\"'"
} >"$out/_stencilor"

# fish: a line per option; the project file completes to .ql files and folders.
fish_text() { # text safe inside '...'
    local text=${1//\\/\\\\}
    echo "${text//\'/\\\'}"
}
{
    echo "# fish completion for stencilor(1), written by make-completions.sh from \`stencilor --help\`."
    echo "complete -c stencilor -f -a '(__fish_complete_suffix .ql)'"
    for option in "${options[@]}"; do
        IFS=$'\037' read -r names type desc <<<"$option"
        long=$(long_name "$names")
        kind=$(value_kind "$long" "$type")
        spec=""
        for name in $names; do
            if [[ $name == --* ]]; then spec+=" -l ${name#--}"; else spec+=" -s ${name#-}"; fi
        done
        case $kind in
        switch) ;;
        forms)
            IFS='|' read -ra entries <<<"${forms[$long]}"
            for entry in "${entries[@]}"; do
                echo "complete -c stencilor$spec -x -a '$(fish_text "${entry%%:*}")' -d '$(fish_text "${entry#*:}")'"
            done
            spec+=" -x"
            ;;
        choices) spec+=" -x -a '$(choices_of "$type")'" ;;
        dir) spec+=" -x -a '(__fish_complete_directories)'" ;;
        file) spec+=" -r -F" ;;
        none | hint) spec+=" -x" ;;
        esac
        echo "complete -c stencilor$spec -d '$(fish_text "$desc")'"
    done
} >"$out/stencilor.fish"
