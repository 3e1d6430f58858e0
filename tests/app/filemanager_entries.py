# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the installed Nemo action and Nautilus extension with the parsers
# those file managers use: GLib's key-file reader for the action, and
# python3-nautilus for the extension, which is loaded, asked for its menu
# item and activated with a stand-in `tarnowick` that writes down the bytes
# of its arguments.
#   filemanager_entries.py SHARE_DIR WORK_DIR
# Exit 0: all good; 77: python3-nautilus is not installed; else a failure.
import os
import signal
import sys

try:
    import gi
    gi.require_version("Nautilus", "4.0")
    from gi.repository import GLib, Nautilus  # noqa: F401
except (ImportError, ValueError) as e:
    print("python3-nautilus is missing:", e)
    sys.exit(77)

share, work = sys.argv[1], sys.argv[2]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


# --- Nemo action: read as Nemo reads it ---------------------------------
action = GLib.KeyFile()
action.load_from_file(os.path.join(share, "nemo/actions/tarnowick-secure-delete.nemo_action"),
                      GLib.KeyFileFlags.NONE)
group = "Nemo Action"
check(action.has_group(group), "no [Nemo Action] group")
keys = action.get_keys(group)[0]
# What Nemo requires before it shows an action at all.
for key in ("Name", "Exec", "Selection"):
    check(key in keys, "Nemo action lacks " + key)
check("Extensions" in keys or "Mimetypes" in keys, "Nemo action lacks Extensions and Mimetypes")
check(not ("Active" in keys and not action.get_boolean(group, "Active")), "Nemo action is switched off")
check(action.get_locale_string(group, "Name", None) == "Secure Delete with Tarnowick", "Nemo action name")
check(action.get_string(group, "Exec") == "tarnowick --delete %F", "Nemo action Exec")
check(action.get_string(group, "Selection") == "notnone", "Nemo action Selection")
check(action.get_string_list(group, "Extensions") == ["nodirs"], "Nemo action is offered for folders")
check(action.get_string(group, "Quote") == "double", "Nemo action does not quote the paths")
check(action.get_string(group, "UriScheme") == "file", "Nemo action is offered for remote files")

# --- Nautilus extension: loaded and used as Nautilus would -----------------
fifo = os.path.join(work, "arguments")
os.mkfifo(fifo)
bindir = os.path.join(work, "bin")
os.mkdir(bindir)
with open(os.path.join(bindir, "tarnowick"), "w") as fake:
    fake.write('#!/bin/sh\nprintf "%s\\0" "$@" > "' + fifo + '"\n')
os.chmod(os.path.join(bindir, "tarnowick"), 0o755)
os.environ["PATH"] = bindir + os.pathsep + os.environ.get("PATH", "")

sys.path.insert(0, os.path.join(share, "nautilus-python/extensions"))
import tarnowick_secure_delete  # noqa: E402


class Location:
    def __init__(self, path):
        self.path = path

    def get_path(self):
        return self.path


class FileInfo:
    """The part of Nautilus.FileInfo the extension uses."""

    def __init__(self, path, scheme="file", directory=False):
        self.path, self.scheme, self.directory = path, scheme, directory

    def get_uri_scheme(self):
        return self.scheme

    def is_directory(self):
        return self.directory

    def get_location(self):
        return Location(self.path)


provider = tarnowick_secure_delete.TarnowickSecureDelete()
latin1 = os.fsdecode(b"/home/ann/caf\xe9 'draft' $HOME.txt")  # not UTF-8
files = [FileInfo("/home/ann/a b.txt"), FileInfo(latin1), FileInfo("/-starts-with-dash")]
items = provider.get_file_items(files)
check(len(items) == 1, "one menu item for local files")
check(provider.get_file_items([files[0], FileInfo("/home/ann/photos", directory=True)]) == [],
      "offered when a folder is selected")
check(provider.get_file_items([FileInfo("/share/a", scheme="smb")]) == [], "offered for remote files")
check(provider.get_file_items(None, files) != [], "the older get_file_items(window, files) form")
if items:
    item = items[0]
    check(item.props.label == "Secure Delete with Tarnowick", "menu item label: " + str(item.props.label))
    signal.alarm(60)  # the stand-in must be started, or this read waits for good
    item.activate()
    with open(fifo, "rb") as f:
        arguments = f.read().split(b"\0")[:-1]
    signal.alarm(0)
    expected = [b"--delete", b"--", b"/home/ann/a b.txt", os.fsencode(latin1), b"/-starts-with-dash"]
    check(arguments == expected, "arguments of tarnowick: %r" % arguments)

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
