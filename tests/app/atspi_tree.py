#!/usr/bin/python3
"""Reads the window's accessibility tree over AT-SPI, prints it, and checks that every control
has a name (its own, or for a combo box the label tied to it) and a description."""

import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

APPLICATION = "quillmere-accessibility-check"

# Roles of the things a user operates or reads; each must be named and described.
CONTROL_ROLES = {
    Atspi.Role.PUSH_BUTTON, Atspi.Role.TOGGLE_BUTTON, Atspi.Role.RADIO_BUTTON,
    Atspi.Role.CHECK_BOX, Atspi.Role.COMBO_BOX, Atspi.Role.LIST, Atspi.Role.TREE,
    Atspi.Role.TABLE, Atspi.Role.TREE_TABLE, Atspi.Role.PROGRESS_BAR, Atspi.Role.STATUS_BAR,
    Atspi.Role.LINK,
}

# What a screen reader must hear: (role, announced name), at least once each.
EXPECTED = [
    (Atspi.Role.PUSH_BUTTON, "Add Excel"), (Atspi.Role.PUSH_BUTTON, "Add Folder"),
    (Atspi.Role.PUSH_BUTTON, "Remove File"), (Atspi.Role.PUSH_BUTTON, "Convert"),
    (Atspi.Role.PUSH_BUTTON, "Help"), (Atspi.Role.PUSH_BUTTON, "HomePage"),
    (Atspi.Role.PUSH_BUTTON, "Exit"), (Atspi.Role.PUSH_BUTTON, "Move Up"),
    (Atspi.Role.PUSH_BUTTON, "Move Down"), (Atspi.Role.PUSH_BUTTON, "Browse"),
    (Atspi.Role.PUSH_BUTTON, "View"), (Atspi.Role.PUSH_BUTTON, "OK"),
    (None, "Please Select the Excel File or Folder to Convert"), (None, "WorkBooks"),
    (None, "WorkSheets"),
    (Atspi.Role.COMBO_BOX, "File Format:"), (Atspi.Role.COMBO_BOX, "Page Title:"),
    (Atspi.Role.COMBO_BOX, "HTML Type:"), (Atspi.Role.COMBO_BOX, "Name:"),
    (Atspi.Role.COMBO_BOX, "Select  output directory:"),
    (Atspi.Role.RADIO_BUTTON, "Convert each Sheet to html file"),
    (Atspi.Role.RADIO_BUTTON, "Entire Workbook"), (Atspi.Role.RADIO_BUTTON, "htm"),
    (Atspi.Role.RADIO_BUTTON, "html"),
    (Atspi.Role.PROGRESS_BAR, "Conversion progress"), (Atspi.Role.STATUS_BAR, "Status"),
    (Atspi.Role.LINK, "support@quillmere.app"), (Atspi.Role.LINK, "https://quillmere.app"),
    (Atspi.Role.CHECK_BOX, "Automatically save the current file"),
    (Atspi.Role.CHECK_BOX, "Automatically save the output directory"),
    (Atspi.Role.PUSH_BUTTON, "Cancel"),
]


def find_application(seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == APPLICATION:
                return app
        time.sleep(0.2)
    return None


def label_names(node):
    names = []
    for relation in node.get_relation_set() or []:
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            for i in range(relation.get_n_targets()):
                names.append(relation.get_target(i).get_name())
    return names


def walk(node, depth, rows):
    role = node.get_role()
    name = node.get_name() or ""
    description = node.get_description() or ""
    labels = label_names(node)
    rows.append((depth, role, name, description, labels))
    # The items of a list and the popup list of a combo box are contents, not controls.
    if role in (Atspi.Role.COMBO_BOX, Atspi.Role.TREE, Atspi.Role.TREE_TABLE, Atspi.Role.LIST,
                Atspi.Role.TABLE):
        return
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, depth + 1, rows)


def main():
    app = find_application(20)
    if app is None:
        print(f"no application {APPLICATION!r} on the accessibility bus", file=sys.stderr)
        return 2
    rows = []
    walk(app, 0, rows)
    problems = []
    announced = set()
    for depth, role, name, description, labels in rows:
        heard = labels[0] if role == Atspi.Role.COMBO_BOX and labels else name
        print(f"{'  ' * depth}{role.value_nick}: {heard!r}"
              + (f" [value {name!r}]" if heard != name else "")
              + (f" — {description}" if description else ""))
        announced.add((role, heard))
        announced.add((None, heard))
        if role not in CONTROL_ROLES:
            continue
        if not heard:
            problems.append(f"a {role.value_nick} has no name")
        if not description:
            problems.append(f"{role.value_nick} {heard!r} has no description")
    for role, name in EXPECTED:
        if (role, name) not in announced:
            problems.append(f"no {role.value_nick if role else 'control'} named {name!r}")
    for problem in problems:
        print("PROBLEM:", problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
