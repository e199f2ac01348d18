#!/bin/bash
# Starts the intro on a PortMaster handheld: the firmware's control folder gives the device's
# controls and helpers, gptokeyb turns the gamepad into keys (Start is Escape, the intro's own
# way out; Start+Select stays its kill switch), and the program for the device's architecture
# runs on the device's SDL2. Its messages go to log.txt beside it.

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

source "$controlfolder/control.txt"
[ -f "$controlfolder/mod_${CFW_NAME}.txt" ] && source "$controlfolder/mod_${CFW_NAME}.txt"
get_controls

GAMEDIR="$(cd "$(dirname "$0")" && pwd)/orbitra"
cd "$GAMEDIR" || exit 1
exec >"$GAMEDIR/log.txt" 2>&1

export LD_LIBRARY_PATH="$GAMEDIR/libs.${DEVICE_ARCH}:$LD_LIBRARY_PATH"
export SDL_GAMECONTROLLERCONFIG="$sdl_controllerconfig"

$GPTOKEYB "orbitra.${DEVICE_ARCH}" -c "$GAMEDIR/orbitra.gptk" &
pm_platform_helper "$GAMEDIR/orbitra.${DEVICE_ARCH}"
"./orbitra.${DEVICE_ARCH}"
status=$?

pm_finish
exit $status
