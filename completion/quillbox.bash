# Bash completion for quillbox. The commands and each command's options are read from the
# program's own help, so they never fall out of step with it.
_quillbox()
{
    local cur prev words cword
    _init_completion || return
    local program=${words[0]}
    if ((cword == 1)); then
        local commands
        commands=$("$program" --help 2>/dev/null | awk '/^Commands:/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }')
        mapfile -t COMPREPLY < <(compgen -W "$commands --help --help-all --version" -- "$cur")
        return
    fi
    case $prev in
        --format)
            mapfile -t COMPREPLY < <(compgen -W "text csv json markdown" -- "$cur")
            return ;;
        --folder)
            _filedir -d
            return ;;
        --start | --singular | --ext)
            return ;;
    esac
    if [[ $cur == -* ]]; then
        local options
        options=$("$program" "${words[1]}" --help 2>/dev/null | awk '/^Options:/ { on = 1; next } on && /^  --/ { print $1 }')
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    _filedir
}
complete -F _quillbox quillbox
