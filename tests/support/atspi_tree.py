# Walks the accessibility tree of a running program (found by its process id)
# as a screen reader sees it over AT-SPI, with python3-pyatspi. Prints each
# object shown that takes the keyboard focus without a name or a role
# ("UNNAMED <role> <path>"), or a combo box named by the item it shows
# ("NAMED-BY-VALUE ..."); with --dump, every object shown, indented.
# Exit status 2: the program did not appear on the accessibility bus.
import argparse
import sys
import time

import pyatspi

p = argparse.ArgumentParser()
p.add_argument("--pid", type=int, required=True)
p.add_argument("--dump", action="store_true")
a = p.parse_args()
NO_ROLE = {pyatspi.ROLE_INVALID, pyatspi.ROLE_UNKNOWN, pyatspi.ROLE_FILLER, pyatspi.ROLE_REDUNDANT_OBJECT}


def find_app():
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == a.pid:
                    return app
            except Exception:
                pass
        time.sleep(0.2)
    return None


def items(combo):
    return {(item.name or "").strip() for menu in combo for item in menu}


def walk(obj, path, depth):
    states, role, name = obj.getState(), obj.getRole(), (obj.name or "").strip()
    if not states.contains(pyatspi.STATE_SHOWING) and depth > 0:
        return
    here = path + ["%s '%s'" % (obj.getRoleName(), name)]
    focusable = states.contains(pyatspi.STATE_FOCUSABLE)
    if a.dump:
        flags = [f for f, s in (("focusable", pyatspi.STATE_FOCUSABLE), ("FOCUSED", pyatspi.STATE_FOCUSED),
                                ("selected", pyatspi.STATE_SELECTED)) if states.contains(s)]
        print("%s%s '%s' %s" % ("  " * depth, obj.getRoleName(), name, " ".join(flags)))
    elif focusable and (not name or role in NO_ROLE):
        print("UNNAMED %s %s" % (obj.getRoleName(), " > ".join(here)))
    elif focusable and role == pyatspi.ROLE_COMBO_BOX and name in items(obj):
        print("NAMED-BY-VALUE %s %s" % (obj.getRoleName(), " > ".join(here)))
    for child in obj:
        if child is not None:
            walk(child, here, depth + 1)


app = find_app()
if app is None:
    sys.exit(2)
walk(app, [], 0)
