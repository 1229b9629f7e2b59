"""The end-to-end scenarios, one module per theme. scripts/e2e.py runs the
modules in this order, the scenarios of each in the order they are written;
a new module is named here."""

MODULES = ["reminders", "language", "windows", "window_managers", "alerts", "one_program", "wayland"]
