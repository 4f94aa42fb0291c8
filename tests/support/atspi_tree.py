# Walks the accessibility tree of one running program, as a screen reader
# sees it over AT-SPI (python3-pyatspi, on the session's accessibility bus),
# and prints every object that takes the keyboard focus but has no name or no
# role, one a line: "UNNAMED <role> <path>" (a combo box named only by the
# item it shows: "NAMED-BY-VALUE <role> <path>"). The program is found by its
# process id; the walk waits for it to appear on the bus. With --dump every
# object shown is printed instead, indented, with its role, name and states.
# Exit status: 0 when the walk was done (problems or not), 2 when the
# program never appeared, 3 when the bus could not be reached.
import argparse
import sys
import time

try:
    import pyatspi
except ImportError as e:  # the package python3-pyatspi is missing
    print("pyatspi: %s" % e, file=sys.stderr)
    sys.exit(3)

p = argparse.ArgumentParser()
p.add_argument("--pid", type=int, required=True)
p.add_argument("--wait", type=float, default=20.0, help="seconds to wait for the program")
p.add_argument("--dump", action="store_true", help="print every object shown")
p.add_argument("--all", action="store_true", help="check hidden objects too")
a = p.parse_args()

# Roles that say nothing of what a control is.
NO_ROLE = {pyatspi.ROLE_INVALID, pyatspi.ROLE_UNKNOWN, pyatspi.ROLE_FILLER, pyatspi.ROLE_REDUNDANT_OBJECT}


def find_app():
    deadline = time.monotonic() + a.wait
    while time.monotonic() < deadline:
        try:
            desktop = pyatspi.Registry.getDesktop(0)
            for app in desktop:
                try:
                    if app is not None and app.get_process_id() == a.pid:
                        return app
                except Exception:
                    continue
        except Exception:
            pass
        time.sleep(0.2)
    return None


def describe(obj):
    try:
        return "%s '%s'" % (obj.getRoleName(), obj.name or "")
    except Exception:
        return "?"


def item_names(combo):
    names = set()
    try:
        for i in range(min(combo.childCount, 5)):
            menu = combo.getChildAtIndex(i)
            for j in range(min(menu.childCount, 200)):
                names.add((menu.getChildAtIndex(j).name or "").strip())
    except Exception:
        pass
    return names


def walk(obj, path, depth, out):
    if obj is None or depth > 60:
        return
    try:
        states = obj.getState()
        role = obj.getRole()
        name = (obj.name or "").strip()
        showing = states.contains(pyatspi.STATE_SHOWING)
        focusable = states.contains(pyatspi.STATE_FOCUSABLE)
        count = obj.childCount
    except Exception:
        return
    here = path + [describe(obj)]
    if a.dump:
        if showing or a.all:
            flags = []
            if focusable:
                flags.append("focusable")
            if states.contains(pyatspi.STATE_FOCUSED):
                flags.append("FOCUSED")
            if not states.contains(pyatspi.STATE_ENABLED):
                flags.append("disabled")
            if states.contains(pyatspi.STATE_SELECTED):
                flags.append("selected")
            out.append("%s%s '%s' %s" % ("  " * depth, obj.getRoleName(), name, " ".join(flags)))
    elif focusable and (showing or a.all) and (not name or role in NO_ROLE):
        out.append("UNNAMED %s %s" % (obj.getRoleName(), " > ".join(here)))
    elif focusable and (showing or a.all) and role == pyatspi.ROLE_COMBO_BOX and name in item_names(obj):
        # A combo box named by the item it shows, not by its label.
        out.append("NAMED-BY-VALUE %s %s" % (obj.getRoleName(), " > ".join(here)))
    # What is not shown has nothing shown below it (unless all is asked for).
    if not showing and not a.all and depth > 0:
        return
    for i in range(min(count, 2000)):
        try:
            child = obj.getChildAtIndex(i)
        except Exception:
            continue
        walk(child, here, depth + 1, out)


app = find_app()
if app is None:
    print("the program (pid %d) did not appear on the accessibility bus" % a.pid, file=sys.stderr)
    sys.exit(2)
lines = []
walk(app, [], 0, lines)
print("\n".join(lines))
sys.exit(0)
