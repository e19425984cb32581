"""Reads the running player as a screen reader does (AT-SPI) and presses its buttons.

Exits 0 when every control named below is found with its name, "Reproducir" starts the first
song (its title appears), and "Cerrar" ends the player. Prints what it found otherwise."""
import sys
import time

import pyatspi

DEADLINE = 60.0


def wait_for(what, find):
    end = time.monotonic() + DEADLINE
    while time.monotonic() < end:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    sys.exit("not found in time: " + what)


def player_app():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "VemlaPlayer":
            return app
    return None


def everything(node, depth=0):
    """Every node under `node` as (node, role, name); each is asked once (bus round trips are
    what costs on a busy machine)."""
    found = [(node, node.getRoleName(), node.name)]
    if depth < 4:
        for child in node:
            if child is not None:
                found += everything(child, depth + 1)
    return found


def find(tree, role, name):
    return next((n for n, r, m in tree if r == role and m == name), None)


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        sys.exit("%s %r cannot be pressed: %s" % (node.getRoleName(), node.name, names))
    action.doAction(names.index("Press"))


def main():
    app = wait_for("the player on the accessibility bus", player_app)
    expected = [("push button", "Reproducir"), ("push button", "Siguiente"),
                ("push button", "Cerrar"), ("check box", "Repetir"), ("check box", "Silencio"),
                ("push button", "Archivo"), ("push button", "Ayuda"), ("slider", "Volumen"),
                ("label", "00:00"), ("list", "Lista de Canciones")]
    tree = everything(app)
    missing = [e for e in expected if find(tree, *e) is None]
    if missing:
        for _, role, name in tree:
            print(role, repr(name))
        sys.exit("missing: %s" % missing)
    volume = find(tree, "slider", "Volumen").queryValue()
    if int(volume.currentValue) != 57 or int(volume.maximumValue) != 75:
        sys.exit("volume reads %s of %s" % (volume.currentValue, volume.maximumValue))
    rows = [name for _, role, name in tree if role == "list item"]
    if not any("Uno" in r for r in rows) or not any("Dos" in r for r in rows):
        sys.exit("rows: %s" % rows)

    press(find(tree, "push button", "Reproducir"))
    main_window = find(tree, "filler", "VemlaPlayer v1.0b")
    wait_for("the first title shown", lambda: next(
        (c for c in main_window if c is not None and c.getRoleName() == "label"
         and "Uno" in c.name), None))
    print("playing")
    sys.stdout.flush()
    press(find(tree, "push button", "Cerrar"))


main()
