#!/usr/bin/env bash
# The windows on a real desktop: a virtual X server at 1366×768 with the openbox window
# manager and a panel reserving the bottom 40 pixels (_NET_WM_STRUT), the program started as a
# user starts it, driven with the mouse and keys, and checked as X reports stacking and frames.
#
#   desktop-checks.sh <program> <schema.sql> [picture.png]
#
# With a picture path, the screen is saved there with the feedback window above the main window
# (needs ImageMagick).
# Prints one line per check and "N passed, N failed" at the end; exits non-zero on a failure.
set -uo pipefail

program=$1
schema=$2
picture=${3:-}
ScreenWidth=1366
ScreenHeight=768
PanelHeight=40

passed=0
failed=0
check() {   # check <description> <command…>: one line per check
    local description=$1
    shift
    if "$@"; then
        echo "ok: $description"
        passed=$((passed + 1))
    else
        echo "FAILED: $description"
        failed=$((failed + 1))
    fi
}

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The program's settings go into the throwaway folder, not the user's.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# --- the desktop -------------------------------------------------------------------------------
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 ${ScreenWidth}x${ScreenHeight}x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 20 number <&"$displayfd" || { echo "FAILED: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$number

# The window manager; started again should the X server still be settling.
wmRunning() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
for attempt in 1 2 3; do
    openbox --sm-disable --config-file "$(cd "$(dirname "$0")" && pwd)/openbox-rc.xml" >"$work/openbox.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        wmRunning && break
        sleep 0.1
    done
    wmRunning && break
done
wmRunning || { echo "FAILED: openbox did not start on $DISPLAY"; cat "$work/openbox.log" "$work/xvfb.log"; exit 1; }

# The panel: a window along the bottom edge that reserves its strip.
xmessage -name panel -buttons "" -geometry ${ScreenWidth}x${PanelHeight}+0+$((ScreenHeight - PanelHeight)) \
    "a panel reserving $PanelHeight pixels" >/dev/null 2>&1 &
pids+=($!)
panel=$(xdotool search --sync --classname panel | head -n1)
xprop -id "$panel" -f _NET_WM_STRUT 32c -set _NET_WM_STRUT "0, 0, 0, $PanelHeight"
xprop -id "$panel" -f _NET_WM_STRUT_PARTIAL 32c \
    -set _NET_WM_STRUT_PARTIAL "0, 0, 0, $PanelHeight, 0, 0, 0, 0, 0, 0, 0, $((ScreenWidth - 1))"
workArea() { xprop -root _NET_WORKAREA | sed 's/.*= //' | cut -d, -f1-4 | tr -d ' '; }
for _ in $(seq 50); do
    [ "$(workArea)" = "0,0,$ScreenWidth,$((ScreenHeight - PanelHeight))" ] && break
    sleep 0.1
done
check "the panel reserves the bottom $PanelHeight pixels (work area $(workArea))" \
    test "$(workArea)" = "0,0,$ScreenWidth,$((ScreenHeight - PanelHeight))"

# --- a campaign with two executed plans ----------------------------------------------------------
database=$work/campaign.db
sqlite3 "$database" <"$schema"
sqlite3 "$database" <<'SQL'
INSERT INTO planTable (序号, 题目) VALUES ('2026-01', '一月直邮'), ('2026-02', '二月直邮');
INSERT INTO marketingComment (序号, 题目, 费用, 反馈合计, 反馈率)
    VALUES ('2026-01', '一月直邮', '12000', '6', '3%'), ('2026-02', '二月直邮', '8000', '2', '1%');
INSERT INTO feedbackTable (序号, 时间, 题目, 电话数, 反馈合计（当日）, 反馈合计（至今日）)
    VALUES ('2026-01', '2026-01-05', '一月直邮', 6, 6, 6), ('2026-02', '2026-02-03', '二月直邮', 2, 2, 2);
INSERT INTO clientTableInfo (序号, 营销对象, 电话1, 传真, Email)
    VALUES ('2026-01', '厦门海湾国际贸易有限公司', '0592-75740154', '0592-75740155', 'info10@example72.com.cn'),
           ('2026-02', '北京华信科技有限公司', '010-62345678', '', 'sales@example.com');
SQL

# --- helpers reading what X reports ------------------------------------------------------------
# A shown window whose title matches the pattern. The titles are compared here, as UTF-8:
# xdotool's own pattern match may see the Latin-1 WM_NAME of a Chinese title.
windowNamed() {
    local id
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        [[ "$(xdotool getwindowname "$id" 2>/dev/null)" =~ $1 ]] && { echo "$id"; return; }
    done
}
waitForWindow() {   # waitForWindow <name pattern>: the window id, once mapped (a busy machine is slow)
    local id=""
    for _ in $(seq 300); do
        id=$(windowNamed "$1")
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}
# Without the window a check needs, the rest cannot run: the windows there are are listed.
need() {   # need <window id> <what>
    [ -n "$1" ] && return
    echo "FAILED: no $2; the windows shown:"
    xdotool search --onlyvisible --name . 2>/dev/null | while read -r id; do echo "  $(xdotool getwindowname "$id")"; done
    failed=$((failed + 1))
    finish
}
# x y width height of the client area, in root coordinates
clientGeometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}
# left right top bottom of the window manager's frame
frameExtents() {
    local extents
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')
    echo "${extents:-0 0 0 0}"
}
frameInsideWorkArea() {
    local x y w h left right top bottom
    read -r x y w h < <(clientGeometry "$1")
    read -r left right top bottom < <(frameExtents "$1")
    [ $((x - left)) -ge 0 ] && [ $((y - top)) -ge 0 ] && [ $((x + w + right)) -le $ScreenWidth ] \
        && [ $((y + h + bottom)) -le $((ScreenHeight - PanelHeight)) ]
}
describeFrame() {
    local x y w h left right top bottom
    read -r x y w h < <(clientGeometry "$1")
    read -r left right top bottom < <(frameExtents "$1")
    echo "frame $((x - left)),$((y - top)) to $((x + w + right)),$((y + h + bottom))"
}
transientFor() { xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*window id # //p'; }
sameWindow() { [ -n "$1" ] && [ -n "$2" ] && [ $(($1)) -eq $(($2)) ]; }
# The client windows bottom to top, as the window manager stacks them.
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr ',' '\n' | tr -d ' '; }
isAbove() {   # isAbove <upper> <lower>
    local order upper lower
    order=$(stacking)
    upper=$(echo "$order" | grep -n -x "$(printf '0x%x' "$1")" | cut -d: -f1)
    lower=$(echo "$order" | grep -n -x "$(printf '0x%x' "$2")" | cut -d: -f1)
    [ -n "$upper" ] && [ -n "$lower" ] && [ "$upper" -gt "$lower" ]
}
# Opens a menu of the main window's menu bar and takes an item, as a user does with the
# mouse on the first menu and the arrow keys: `menuItem <menus to the right> <items down>`
# (a menu reached with Right opens on its first item).
menuItem() {
    local x y w h
    read -r x y w h < <(clientGeometry "$main")
    xdotool mousemove $((x + 16)) $((y + 10)) click 1
    sleep 0.3
    for _ in $(seq "$1"); do xdotool key Right; sleep 0.1; done
    for _ in $(seq "$2"); do xdotool key Down; sleep 0.1; done
    xdotool key Return
    sleep 0.5
}
settle() { sleep 0.6; }
# The share of a window's client area that is black, in percent, as the X server shows it
# (xwd of the window; a window whose drawing never reaches the screen reads all black).
blackPercent() {
    xwd -id "$1" -silent | python3 -c '
import struct, sys
data = sys.stdin.buffer.read()
header = struct.unpack(">25I", data[:100])
size, width, height = header[0], header[4], header[5]
bits, lineBytes, colours = header[11], header[12], header[19]
pixels = data[size + colours * 12:]
step = bits // 8
black = total = 0
for y in range(0, height, 4):
    for x in range(0, width, 4):
        at = y * lineBytes + x * step
        total += 1
        black += not any(pixels[at:at + min(step, 3)])
print(black * 100 // max(total, 1))'
}
paintsContents() { [ "$(blackPercent "$1")" -lt 50 ]; }

# --- the program, started as a user starts it ----------------------------------------------------
"$program" --database "$database" >"$work/program.log" 2>&1 &
pids+=($!)
splash=$(waitForWindow "^Tembra咨询中心$")
need "$splash" "splash"
xdotool windowactivate --sync "$splash" 2>/dev/null
xdotool key space
main=$(waitForWindow "^Marquel")
need "$main" "main window"
settle

check "the main window's frame lies inside the work area ($(describeFrame "$main"))" frameInsideWorkArea "$main"

# 营销计划 › 营销效果分析, then its "打印": the report window shows its page, not a black area.
menuItem 1 1
effect=$(waitForWindow "^营销效果分析$")
need "$effect" "window 营销效果分析"
settle
read -r x y w h < <(clientGeometry "$effect")
xdotool mousemove $((x + w - 100)) $((y + h - 22)) click 1   # 打印, second from the right
report=$(waitForWindow "^打印营销效果分析$")
need "$report" "report window after 营销效果分析 › 打印"
sleep 1.5
check "the effect report window paints its contents ($(blackPercent "$report")% black)" paintsContents "$report"
check "the effect report window lies inside the work area ($(describeFrame "$report"))" frameInsideWorkArea "$report"
for opened in "$report" "$effect"; do
    xdotool windowactivate --sync "$opened" 2>/dev/null
    xdotool key Escape
    settle
done


# 营销对象（客户） › 记录反馈
menuItem 2 1
feedback=$(waitForWindow "^记录客户反馈$")
need "$feedback" "feedback window after 营销对象（客户） › 记录反馈"
check "the feedback window is transient for the main window" sameWindow "$(transientFor "$feedback")" "$main"
check "the feedback window's frame lies inside the work area ($(describeFrame "$feedback"))" frameInsideWorkArea "$feedback"

# The user clicks the main window, then uses its menu: the feedback window stays in front.
xdotool windowactivate --sync "$main" 2>/dev/null
settle
check "after the main window is activated the feedback window stays above it" isAbove "$feedback" "$main"
# The user drags the feedback window aside to reach the main window's menu bar.
xdotool windowmove "$feedback" 470 40
settle
check "the feedback window dragged aside stays above the main window" isAbove "$feedback" "$main"
[ -n "$picture" ] && import -window root "$picture"
menuItem 3 0   # 表维护 › 营销对象表维护
targets=$(waitForWindow "^营销对象表维护$")
need "$targets" "target table after 表维护 › 营销对象表维护"
check "after a menu item of the main window the feedback window stays above it" isAbove "$feedback" "$main"
check "the target table is above the main window" isAbove "$targets" "$main"
menuItem 2 0   # 营销对象（客户） › 营销对象数据导入
import=$(waitForWindow "^导入数据$")
need "$import" "import window after 营销对象（客户） › 营销对象数据导入"
check "the import window's frame lies inside the work area ($(describeFrame "$import"))" frameInsideWorkArea "$import"


# Closing one window leaves the others above the main window.
xdotool windowactivate --sync "$import" 2>/dev/null
xdotool key Escape
settle
check "closing the import window leaves the feedback window above the main window" isAbove "$feedback" "$main"
check "closing the import window leaves the target table above the main window" isAbove "$targets" "$main"

# Every other item of the main window's menu, one at a time: its window belongs to the main
# window and its frame lies inside the work area; Esc (返回) closes it again.
for item in "1 0 创建营销计划" "1 1 营销效果分析" "2 2 营销对象反馈浏览" "3 1 每日反馈统计表" "4 0 产品对照定义" \
            "5 0 打印反馈记录" "5 1 打印客户反馈记录" "5 2 打印反馈统计总表"; do
    read -r right down title <<<"$item"
    menuItem "$right" "$down"
    opened=$(waitForWindow "^$title\$")
    need "$opened" "window $title"
    check "$title belongs to the main window" sameWindow "$(transientFor "$opened")" "$main"
    check "$title lies inside the work area ($(describeFrame "$opened"))" frameInsideWorkArea "$opened"
    xdotool windowactivate --sync "$opened" 2>/dev/null
    xdotool key Escape
    settle
done

finish
