# SPDX-License-Identifier: GPL-3.0-or-later
# "Secure Delete with Tarnowick" in the context menu of GNOME Files
# (Nautilus), through python3-nautilus. Offered when every selected item is
# a file on this computer (no folders, nothing remote); it runs
# `tarnowick --delete` with the paths, which asks about each file before it
# destroys it.
import subprocess

from gi.repository import GLib, GObject, Nautilus


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
        item = Nautilus.MenuItem(
            name="Tarnowick::secure_delete",
            label="Secure Delete with Tarnowick",
            tip="Destroy the selected files with Tarnowick; each is confirmed first",
            icon="com.halmere.tarnowick",
        )
        item.connect("activate", self._activate, paths)
        return [item]
