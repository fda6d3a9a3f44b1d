#!/usr/bin/python3
"""Reads the window as assistive technology does, through AT-SPI.

  accessibility_probe.py listen LOG   logs the program's events, one a line:
                                      "event|role|name|detail|description"
  accessibility_probe.py tree         checks the frame, the panel and the label relation
"""
import sys

import pyatspi

PROGRAM = "tavrel"


def describe(obj):
    return f"{obj.getRoleName()}|{obj.name}"


def walk(obj):
    for child in filter(None, obj):
        yield child
        yield from walk(child)


def listen(log_path):
    log = open(log_path, "w", buffering=1)

    def on_event(event):
        source = event.source
        try:
            if source.getApplication().name != PROGRAM:
                return
            # The source's description as it is now: Qt gives no new value
            # with a description change.
            line = f"{event.type}|{describe(source)}|{event.detail1}|{source.description}"
        except Exception as error:  # an object gone meanwhile
            line = f"{event.type}|gone|{error}"
        log.write(line.replace("\n", " ") + "\n")

    # Whole classes of events: Qt sends a property change only to a listener
    # of all property changes.
    for kind in ("object:state-changed:focused", "object:property-change",
                 "object:children-changed"):
        pyatspi.Registry.registerEventListener(on_event, kind)
    log.write("listening\n")
    pyatspi.Registry.start()


def check_tree():
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == PROGRAM]
    if not apps:
        sys.exit("no AT-SPI application named " + PROGRAM)
    objects = list(walk(apps[0]))
    roles = [describe(obj) for obj in objects]
    failures = []

    def one(role, name=None):
        found = [o for o in objects if o.getRole() == role and name in (None, o.name)]
        if len(found) == 1:
            return found[0]
        failures.append(f"expected one {pyatspi.Role(role)} {name!r}: {roles}")

    # One frame, the window, named by its title: a reader drops the focus
    # events of a frame that is never active.
    frame = one(pyatspi.ROLE_FRAME)
    if frame is not None and not frame.name.startswith("Tavrel v"):
        failures.append(f"the window's frame: {describe(frame)}")
    panel = one(pyatspi.ROLE_PANEL)
    label = one(pyatspi.ROLE_LABEL, "Stamp Type")
    combo = one(pyatspi.ROLE_COMBO_BOX)
    if panel is not None and (panel.parent is None or panel.parent.getRole() != pyatspi.ROLE_FRAME):
        failures.append("the panel is not a child of the frame")

    # Qt gives the relation both ways from one buddy; a reader names the combo
    # box by its labelled-by side.
    labels = [rel.getTarget(i) for rel in combo.getRelationSet()
              if rel.getRelationType() == pyatspi.RELATION_LABELLED_BY
              for i in range(rel.getNTargets())] if combo is not None else []
    if label is not None and label not in labels:
        failures.append("the combo box is not labelled by 'Stamp Type'")
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    if sys.argv[1:2] == ["listen"]:
        listen(sys.argv[2])
    elif sys.argv[1:2] == ["tree"]:
        check_tree()
    else:
        sys.exit(__doc__)
