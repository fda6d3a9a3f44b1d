#!/usr/bin/python3
"""Reads the window as assistive technology does, through AT-SPI.

  accessibility_probe.py listen LOG   writes every focus, property, selection
                                      and children event of the program to LOG,
                                      one a line: "event|role|name|detail|
                                      description"
  accessibility_probe.py tree         checks the window's roles, names and the
                                      stamp type's label relation
Exit code 77 when the AT-SPI bindings are missing.
"""
import sys

try:
    import pyatspi
except ImportError:
    print("skipped: the AT-SPI Python bindings (python3-pyatspi) are missing")
    sys.exit(77)

PROGRAM = "tavrel"


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == PROGRAM:
            return app
    return None


def describe(obj):
    return f"{obj.getRoleName()}|{obj.name}"


def walk(obj, depth=0):
    yield depth, obj
    for child in obj:
        if child is not None:
            yield from walk(child, depth + 1)


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
                 "object:children-changed", "object:selection-changed"):
        pyatspi.Registry.registerEventListener(on_event, kind)
    log.write("listening\n")
    pyatspi.Registry.start()


def check_tree():
    app = application()
    if app is None:
        sys.exit("no AT-SPI application named " + PROGRAM)
    failures = []
    frames = [w for w in app if w is not None and w.getRole() == pyatspi.ROLE_FRAME]
    if len(frames) != 1 or not frames[0].name.startswith("Tavrel v"):
        failures.append("the window is not one frame titled 'Tavrel v...': " +
                        ", ".join(describe(w) for w in app))
    objects = [obj for _, obj in walk(app)]
    roles = [describe(obj) for obj in objects]

    def one(role, name=None):
        found = [o for o in objects
                 if o.getRole() == role and (name is None or o.name == name)]
        if len(found) != 1:
            failures.append(f"expected one {pyatspi.Role(role)} {name!r}: {roles}")
            return None
        return found[0]

    one(pyatspi.ROLE_PUSH_BUTTON, "Execute")
    one(pyatspi.ROLE_PUSH_BUTTON, "Clear")
    one(pyatspi.ROLE_LIST, "Files")
    panel = one(pyatspi.ROLE_PANEL)
    label = one(pyatspi.ROLE_LABEL, "Stamp Type")
    combo = one(pyatspi.ROLE_COMBO_BOX)
    # Nothing inside the window may be a frame of its own: a reader drops the
    # focus events of a frame that is never active.
    inner_frames = [r for r in roles[1:] if r.startswith("frame|")]
    if len(inner_frames) != 1:
        failures.append(f"frames inside the application: {inner_frames}")
    if panel is not None and panel.parent is not None and panel.parent.getRole() != pyatspi.ROLE_FRAME:
        failures.append("the panel is not a child of the frame")
    if label is not None and combo is not None:
        def targets(obj, kind):
            return [rel.getTarget(i) for rel in obj.getRelationSet()
                    if rel.getRelationType() == kind for i in range(rel.getNTargets())]
        if combo not in targets(label, pyatspi.RELATION_LABEL_FOR):
            failures.append("'Stamp Type' is not the label for the combo box")
        if label not in targets(combo, pyatspi.RELATION_LABELLED_BY):
            failures.append("the combo box is not labelled by 'Stamp Type'")
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "listen":
        listen(sys.argv[2])
    elif command == "tree":
        check_tree()
    else:
        sys.exit(__doc__)
