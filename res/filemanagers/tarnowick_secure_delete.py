# SPDX-License-Identifier: GPL-3.0-or-later
# "Secure Delete with Tarnowick" in the context menu of GNOME Files
# (Nautilus), through python3-nautilus. Offered when every selected item is
# a file on this computer (no folders, nothing remote); it runs
# `tarnowick --delete` with the paths, which asks about each file before it
# destroys it.
import subprocess

from gi.repository import GLib, GObject, Nautilus

# The item's label and tip in the languages Tarnowick speaks; English for
# every other.
_TEXTS = {
    "de": ("Mit Tarnowick sicher löschen",
           "Die gewählten Dateien mit Tarnowick vernichten; jede wird zuerst bestätigt"),
}
_ENGLISH = ("Secure Delete with Tarnowick",
            "Destroy the selected files with Tarnowick; each is confirmed first")


def _texts():
    """Label and tip in the first of the user's languages that has them."""
    for name in GLib.get_language_names():
        language = name.split(".")[0].split("@")[0].split("_")[0]
        if language in ("en", "C", "POSIX"):
            break
        if language in _TEXTS:
            return _TEXTS[language]
    return _ENGLISH


def _local_file_paths(files):
    """The selected items' paths, or None unless all are local files."""
    paths = []
    for item in files:
        if item.get_uri_scheme() != "file" or item.is_directory():
            return None
        location = item.get_location()
        path = location.get_path() if location is not None else None
        if not path:
            return None
        # A name that is not UTF-8 comes as str with its bytes escaped
        # (surrogateescape); subprocess turns it back into the same bytes.
        paths.append(path)
    return paths or None


class TarnowickSecureDelete(GObject.GObject, Nautilus.MenuProvider):
    def _activate(self, _item, paths):
        # "--" keeps a path from being read as an option.
        child = subprocess.Popen(["tarnowick", "--delete", "--", *paths],
                                 stdin=subprocess.DEVNULL, start_new_session=True)
        # GLib collects the ended child, so no zombie stays behind.
        GLib.child_watch_add(GLib.PRIORITY_DEFAULT, child.pid, lambda *_: None)

    # Nautilus 43 and later call get_file_items(files); earlier versions
    # get_file_items(window, files).
    def get_file_items(self, *args):
        paths = _local_file_paths(args[-1])
        if paths is None:
            return []
        label, tip = _texts()
        item = Nautilus.MenuItem(
            name="Tarnowick::secure_delete",
            label=label,
            tip=tip,
            icon="com.halmere.tarnowick",
        )
        item.connect("activate", self._activate, paths)
        return [item]
