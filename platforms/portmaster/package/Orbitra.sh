#!/bin/bash
# Starts the intro on a PortMaster handheld: the firmware's control folder gives the device's
# controls, helpers and the folder that holds the ports (some firmwares keep the launchers
# elsewhere), gptokeyb turns the gamepad into keys (Start is Escape, the intro's own way out;
# Start+Select stays its kill switch), and the program for the device's architecture runs on the
# device's SDL2. Its messages go to log.txt beside it; each missing piece is one line there (on
# the console while there is no log) and a status of 1.

XDG_DATA_HOME=${XDG_DATA_HOME:-$HOME/.local/share}
if [ -d "/opt/system/Tools/PortMaster/" ]; then
  controlfolder="/opt/system/Tools/PortMaster"
elif [ -d "/opt/tools/PortMaster/" ]; then
  controlfolder="/opt/tools/PortMaster"
elif [ -d "$XDG_DATA_HOME/PortMaster/" ]; then
  controlfolder="$XDG_DATA_HOME/PortMaster"
else
  controlfolder="/roms/ports/PortMaster"
fi

refuse() { echo "Orbitra: $*" >&2; exit 1; }
[ -f "$controlfolder/control.txt" ] || refuse "no PortMaster control file $controlfolder/control.txt"
source "$controlfolder/control.txt"
[ -f "$controlfolder/mod_${CFW_NAME}.txt" ] && source "$controlfolder/mod_${CFW_NAME}.txt"
for helper in get_controls pm_platform_helper pm_finish; do
  type -t "$helper" >/dev/null || refuse "PortMaster gave no $helper"
done

# Every way out ends the firmware's session and the gptokeyb this launcher started.
keys_pid=
finish() {
  [ -z "$keys_pid" ] || kill "$keys_pid" 2>/dev/null
  pm_finish
}
trap finish EXIT
trap 'exit 1' HUP INT TERM
get_controls

GAMEDIR="/$directory/ports/orbitra"
cd "$GAMEDIR" 2>/dev/null || refuse "no port folder $GAMEDIR"
exec >"$GAMEDIR/log.txt" 2>&1

[ -n "$DEVICE_ARCH" ] || refuse "PortMaster gave no DEVICE_ARCH"
[ -n "$GPTOKEYB" ] || refuse "PortMaster gave no GPTOKEYB"
[ -f "orbitra.${DEVICE_ARCH}" ] || refuse "no program orbitra.${DEVICE_ARCH} for this device"
# Unpacking does not keep the run bit on every file system.
chmod +x "orbitra.${DEVICE_ARCH}" 2>/dev/null

export LD_LIBRARY_PATH="$GAMEDIR/libs.${DEVICE_ARCH}${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
export SDL_GAMECONTROLLERCONFIG="$sdl_controllerconfig"

# GPTOKEYB is a command line: gptokeyb's path in the control folder, which may hold blanks,
# perhaps after sudo and before options of the firmware's own.
if [[ $GPTOKEYB == *"$controlfolder/"* ]]; then
  read -ra before <<<"${GPTOKEYB%%"$controlfolder/"*}"
  read -ra after <<<"${GPTOKEYB#*"$controlfolder/"}"
  keys=("${before[@]}" "$controlfolder/${after[0]}" "${after[@]:1}")
else
  read -ra keys <<<"$GPTOKEYB"
fi
"${keys[@]}" "orbitra.${DEVICE_ARCH}" -c "$GAMEDIR/orbitra.gptk" &
keys_pid=$!
pm_platform_helper "$GAMEDIR/orbitra.${DEVICE_ARCH}"
"./orbitra.${DEVICE_ARCH}"
