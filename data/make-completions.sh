#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the shell completions of stencilor from the program's own `--help`, so that they offer
# exactly the options the program has: OUTDIR/stencilor (bash), OUTDIR/_stencilor (zsh) and
# OUTDIR/stencilor.fish. Usage: make-completions.sh STENCILOR OUTDIR
#
# What follows an option comes from the value table below, else from the value type --help shows
# beside it: `{a,b}` offers a and b, a type naming DIR offers folders, FILE, PATH or plain TEXT
# offer files, a number type offers nothing, and any other type is shown as a hint. The project
# file, the one positional argument, completes to .ql files; after --merge-report the positional
# arguments are manifests and complete to .jsonl files.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: make-completions.sh STENCILOR OUTDIR" >&2
    exit 64
fi
stencilor=$1
out=$2

# Options whose value --help does not describe well enough: the option, then what it takes.
#   dir                      folders only
#   files:EXT...             files with one of these extensions, and folders to look in
#   choices:WORD...          these words (a `{a,b}` list in --help takes their place)
#   forms:FORM=MEANING|...   the forms of the value, shown as hints
# This table is the one place that lists them for all three shells.
declare -A values=(
    [--output]="dir"
    [--archive]="files:tar tar.gz tgz tar.xz tar.zst zip"
    [--archive-format]="choices:tar tar.gz tar.xz tar.zst zip"
    [--manifest]="files:jsonl"
    [--format]="choices:text json jsonl"
    [--records]="forms:A-B=records A to B|A-=from record A to the end|-B=records 1 to B|A=record A alone"
    [--shard]="forms:K/N=part K of N of the job"
)
# What the positional arguments are: the project file, or after --merge-report the manifests.
project_extension=ql
manifest_extension=jsonl

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

# What an option's value is: switch, forms, choices, dir, files, file, none (a number) or hint;
# and its words (the choices, the extensions or the forms).
value_kind() { # value_kind LONG_NAME TYPE
    local entry=${values[$1]:-}
    if [ -z "$2" ]; then
        echo switch
    elif [[ $2 == *\{*\}* ]]; then
        echo choices
    elif [ -n "$entry" ]; then
        echo "${entry%%:*}"
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
value_words() { # value_words LONG_NAME TYPE: the choices of `{a,b}` in TYPE, else the table's words
    if [[ $2 == *\{*\}* ]]; then
        local set=${2#*\{}
        set=${set%%\}*}
        echo "${set//,/ }"
    else
        local entry=${values[$1]:-}
        echo "${entry#*:}"
    fi
}
long_name() { # the --spelling of a SPELLINGS list, else its first one
    local name
    for name in $1; do
        [[ $name == --* ]] && { echo "$name"; return; }
    done
    echo "${1%% *}"
}
# The forms of a forms: entry, one "FORM=MEANING" a line.
forms_of() { tr '|' '\n' <<<"$1"; }
# A glob alternative of extensions: tar -> tar, "tar tgz" -> @(tar|tgz) (bash) or (tar|tgz) (zsh).
extension_glob() { # extension_glob PREFIX EXT...
    local prefix=$1
    shift
    if [ $# -eq 1 ]; then echo "$1"; else (IFS='|' && echo "$prefix($*)"); fi
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
        words=$(value_words "$long" "$type")
        pattern=${names// /|}
        [ "$kind" = switch ] && continue
        echo "        $pattern)"
        case $kind in
        forms)
            list=()
            while IFS= read -r form; do list+=("'${form%%=*}'"); done < <(forms_of "$words")
            echo "            # The forms of the value, listed as a hint while nothing is typed."
            echo "            [[ -z \$cur ]] && COMPREPLY=(${list[*]})"
            ;;
        choices) printf '            COMPREPLY=($(compgen -W %q -- "$cur"))\n' "$words" ;;
        dir) echo "            _filedir -d" ;;
        files) echo "            _filedir '$(extension_glob @ $words)'" ;;
        file) echo "            _filedir" ;;
        none | hint) echo "            # $type: nothing to offer" ;;
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
    echo "    # The manifests after --merge-report, else the project file."
    echo "    local word"
    echo "    for word in \"\${words[@]}\"; do"
    echo "        [[ \$word == --merge-report ]] && { _filedir $manifest_extension; return; }"
    echo "    done"
    echo "    _filedir $project_extension"
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
    echo "# The manifests after --merge-report, else the project file."
    echo "_stencilor_operands() {"
    echo "    if (( \${words[(I)--merge-report]} )); then"
    echo "        _files -g '*.$manifest_extension(-.)'"
    echo "    else"
    echo "        _files -g '*.$project_extension(-.)'"
    echo "    fi"
    echo "}"
    echo ""
    echo "_arguments -s -S : \\"
    for option in "${options[@]}"; do
        IFS=$'\037' read -r names type desc <<<"$option"
        long=$(long_name "$names")
        kind=$(value_kind "$long" "$type")
        words=$(value_words "$long" "$type")
        description=$(zsh_text "$desc")
        exclusive=""
        [[ $long == --help || $long == --version ]] && exclusive="(- *)"
        case $kind in
        switch) action="" ;;
        forms)
            list=()
            while IFS= read -r form; do list+=("${form%%=*}"); done < <(forms_of "$words")
            others=${list[*]:1}
            hint=${list[0]}
            [ -n "$others" ] && hint="$hint (or ${others// /, })"
            action=":$(zsh_text "$hint"): "
            ;;
        choices) action=":value:($words)" ;;
        dir) action=":folder:_files -/" ;;
        files) action=":file:_files -g \"*.$(extension_glob "" $words)(-.)\"" ;;
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
    echo "    '*: :_stencilor_operands'"
} >"$out/_stencilor"

# fish: a line per option; files are offered by extension, with the folders to look in.
fish_text() { # text safe inside '...'
    local text=${1//\\/\\\\}
    echo "${text//\'/\\\'}"
}
{
    echo "# fish completion for stencilor(1), written by make-completions.sh from \`stencilor --help\`."
    echo "# The folders and the files with one of the extensions given, under the word being typed."
    echo "function __stencilor_files"
    echo "    set -l pattern '\\.('(string join '|' -- (string escape --style=regex -- \$argv))')\$'"
    echo "    for path in (commandline -ct)*"
    echo "        if test -d \$path"
    echo "            echo \$path/"
    echo "        else if string match -qr -- \$pattern \$path"
    echo "            echo \$path"
    echo "        end"
    echo "    end"
    echo "end"
    echo "complete -c stencilor -f -n 'not __fish_seen_argument -l merge-report' -a '(__stencilor_files $project_extension)'"
    echo "complete -c stencilor -f -n '__fish_seen_argument -l merge-report' -a '(__stencilor_files $manifest_extension)'"
    for option in "${options[@]}"; do
        IFS=$'\037' read -r names type desc <<<"$option"
        long=$(long_name "$names")
        kind=$(value_kind "$long" "$type")
        words=$(value_words "$long" "$type")
        spec=""
        for name in $names; do
            if [[ $name == --* ]]; then spec+=" -l ${name#--}"; else spec+=" -s ${name#-}"; fi
        done
        case $kind in
        switch) ;;
        forms)
            while IFS= read -r form; do
                echo "complete -c stencilor$spec -x -a '$(fish_text "${form%%=*}")' -d '$(fish_text "${form#*=}")'"
            done < <(forms_of "$words")
            spec+=" -x"
            ;;
        choices) spec+=" -x -a '$words'" ;;
        dir) spec+=" -x -a '(__fish_complete_directories)'" ;;
        files) spec+=" -x -a '(__stencilor_files $words)'" ;;
        file) spec+=" -r -F" ;;
        none | hint) spec+=" -x" ;;
        esac
        echo "complete -c stencilor$spec -d '$(fish_text "$desc")'"
    done
} >"$out/stencilor.fish"
