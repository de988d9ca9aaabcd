# bash completion for mirelith and hex2fls

_mirelith_ports() {
    local ports=(USB NET COM1 COM2 COM3 COM4 LPT1 LPT2)
    local device
    for device in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/* /dev/lp* /dev/usb/lp*; do
        [[ -e $device ]] && ports+=("$device")
    done
    printf '%s\n' "${ports[@]}"
}

_mirelith() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
    case $prev in
    -p)
        mapfile -t COMPREPLY < <(compgen -W "$(_mirelith_ports)" -- "$cur")
        return
        ;;
    -m)
        # Model names hold blanks: offer them escaped, as one word each.
        local IFS=$'\n'
        mapfile -t COMPREPLY < <(compgen -W $'T90 Standard\nT90 Prime' -- "${cur//\\/}")
        COMPREPLY=("${COMPREPLY[@]// /\\ }")
        return
        ;;
    -f)
        mapfile -t COMPREPLY < <(compgen -f -X '!*.@(fls|bin|hex|HEX|mot|s19|s28|s37)' -- "$cur")
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -d -- "$cur")
        return
        ;;
    --result)
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    -b)
        mapfile -t COMPREPLY < <(compgen -W "2400 4800 9600 19200 38400 57600 115200" -- "$cur")
        return
        ;;
    -tcpport)
        mapfile -t COMPREPLY < <(compgen -W "9100" -- "$cur")
        return
        ;;
    esac
    if [[ $COMP_CWORD -eq 1 ]]; then
        mapfile -t COMPREPLY < <(compgen -W "-s --list --help --version -V" -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -W "-p -m -f -b -tcpport -q --result" -- "$cur")
    fi
}

_hex2fls() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}

complete -F _mirelith mirelith
complete -o filenames -F _hex2fls hex2fls
