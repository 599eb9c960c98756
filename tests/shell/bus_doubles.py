#!/usr/bin/python3
"""Stand-ins for a desktop's panel side on a private session bus.

  bus_doubles.py watcher        the status notifier watcher
  bus_doubles.py notifications  the notification daemon, plus a test interface
  bus_doubles.py panel          a panel driven by commands on stdin

Each prints "ready" once its bus name is owned. The panel answers every
command with lines ending in a line holding a single ".".
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
NOTIFY = "org.freedesktop.Notifications"
NOTIFY_TEST = "org.suite.test.Notifications"
PROPS = "org.freedesktop.DBus.Properties"


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.bus = bus
        self.items = []
        bus.add_signal_receiver(self.owner_changed, signal_name="NameOwnerChanged",
                                dbus_interface="org.freedesktop.DBus")

    def owner_changed(self, name, old, new):
        if new == "" and name in self.items:
            self.items.remove(name)
            self.StatusNotifierItemUnregistered(name)

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        if service.startswith("/"):
            service = sender + service
        if service not in self.items:
            self.items.append(service)
            self.StatusNotifierItemRegistered(service)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, service):
        pass

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": True,
                "ProtocolVersion": dbus.Int32(0)}


class Notifications(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.sent = []
        self.next_id = 1

    @dbus.service.method(NOTIFY, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        nid = replaces if replaces else self.next_id
        if not replaces:
            self.next_id += 1
        hint = []
        for key in sorted(hints):
            if key == "image-data":
                w, h, stride, alpha, bits, channels, data = hints[key]
                hint.append("image-data=%dx%d:%d" % (w, h, len(data)))
            else:
                hint.append("%s=%s" % (key, hints[key]))
        self.sent.append("%d|%s|%d|%s|%s|%s|%s|%d|%s" % (
            nid, app, replaces, icon, summary, body, ",".join(actions), timeout, ";".join(hint)))
        return dbus.UInt32(nid)

    @dbus.service.method(NOTIFY, in_signature="u")
    def CloseNotification(self, nid):
        self.sent.append("closed %d" % nid)
        self.NotificationClosed(nid, 3)

    @dbus.service.method(NOTIFY, out_signature="as")
    def GetCapabilities(self):
        return ["actions", "body"]

    @dbus.service.method(NOTIFY, out_signature="ssss")
    def GetServerInformation(self):
        return ("test-notifications", "suite", "1", "1.2")

    @dbus.service.signal(NOTIFY, signature="us")
    def ActionInvoked(self, nid, action):
        pass

    @dbus.service.signal(NOTIFY, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass

    @dbus.service.method(NOTIFY_TEST, out_signature="as")
    def Sent(self):
        return self.sent

    @dbus.service.method(NOTIFY_TEST, in_signature="u")
    def Click(self, nid):
        self.ActionInvoked(nid, "default")
        self.NotificationClosed(nid, 2)

    @dbus.service.method(NOTIFY_TEST, in_signature="u")
    def Expire(self, nid):
        self.NotificationClosed(nid, 1)


def text(value):
    if isinstance(value, dbus.Boolean):
        return "1" if value else "0"
    if isinstance(value, (dbus.Array, list)):
        return ",".join(text(v) for v in value)
    return str(value)


class Panel:
    def __init__(self, bus):
        self.bus = bus
        self.signals = {}
        for name in ("NewIcon", "NewToolTip", "NewStatus", "NewTitle"):
            bus.add_signal_receiver(self.counter(name), signal_name=name, dbus_interface=ITEM,
                                    sender_keyword="sender")
        bus.add_signal_receiver(self.counter("LayoutUpdated"), signal_name="LayoutUpdated",
                                dbus_interface=MENU, sender_keyword="sender")

    def counter(self, name):
        def count(*args, sender=None):
            key = (sender, name)
            self.signals[key] = self.signals.get(key, 0) + 1
        return count

    def item(self, service, path="/StatusNotifierItem"):
        return self.bus.get_object(service, path)

    def cmd_items(self):
        watcher = self.bus.get_object(WATCHER, "/StatusNotifierWatcher")
        return [str(s) for s in watcher.Get(WATCHER, "RegisteredStatusNotifierItems", dbus_interface=PROPS)]

    def cmd_props(self, service):
        props = self.item(service).GetAll(ITEM, dbus_interface=PROPS)
        out = []
        for key in sorted(props):
            value = props[key]
            if key in ("IconPixmap", "OverlayIconPixmap", "AttentionIconPixmap"):
                out.append("%s.count=%d" % (key, len(value)))
                for i, (w, h, data) in enumerate(value):
                    data = bytes(data)
                    out.append("%s.%d=%dx%d:%d:%s" % (key, i, w, h, len(data), data[:8].hex()))
            elif key == "ToolTip":
                out.append("ToolTip.title=%s" % value[2])
                out.append("ToolTip.text=%s" % value[3])
            else:
                out.append("%s=%s" % (key, text(value)))
        return out

    def cmd_call(self, service, method, x="0", y="0"):
        getattr(self.item(service), method)(dbus.Int32(int(x)), dbus.Int32(int(y)), dbus_interface=ITEM)
        return ["ok"]

    def render(self, node, depth, out):
        nid, props, children = node
        fields = " ".join("%s=%s" % (k, text(props[k])) for k in sorted(props))
        out.append("%s%d %s" % ("  " * depth, nid, fields))
        for child in children:
            self.render(child, depth + 1, out)

    def cmd_layout(self, service):
        menu = self.item(service, "/MenuBar")
        menu.AboutToShow(dbus.Int32(0), dbus_interface=MENU)
        revision, root = menu.GetLayout(dbus.Int32(0), dbus.Int32(-1), dbus.Array([], signature="s"),
                                        dbus_interface=MENU)
        out = []
        self.render(root, 0, out)
        return out

    def cmd_event(self, service, nid):
        menu = self.item(service, "/MenuBar")
        menu.Event(dbus.Int32(int(nid)), "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                   dbus_interface=MENU)
        return ["ok"]

    def cmd_eventgroup(self, service, *ids):
        menu = self.item(service, "/MenuBar")
        events = dbus.Array([dbus.Struct((dbus.Int32(int(i)), "clicked", dbus.Int32(0, variant_level=1),
                                          dbus.UInt32(0))) for i in ids], signature="(isvu)")
        errors = menu.EventGroup(events, dbus_interface=MENU)
        return ["errors=" + ",".join(str(int(e)) for e in errors)]

    def cmd_signals(self, service, name):
        owner = self.bus.get_name_owner(service)
        return [str(self.signals.get((owner, name), 0))]

    def notifications(self):
        return self.bus.get_object(NOTIFY, "/org/freedesktop/Notifications")

    def cmd_notifications(self):
        return [str(s) for s in self.notifications().Sent(dbus_interface=NOTIFY_TEST)]

    def cmd_click(self, nid):
        self.notifications().Click(dbus.UInt32(int(nid)), dbus_interface=NOTIFY_TEST)
        return ["ok"]

    def cmd_expire(self, nid):
        self.notifications().Expire(dbus.UInt32(int(nid)), dbus_interface=NOTIFY_TEST)
        return ["ok"]

    def on_input(self, source, condition):
        line = sys.stdin.readline()
        if not line:
            GLib.MainLoop().quit()
            sys.exit(0)
        words = line.split()
        try:
            out = getattr(self, "cmd_" + words[0])(*words[1:])
        except dbus.DBusException as e:
            out = ["error " + e.get_dbus_name()]
        for entry in out:
            print(entry)
        print(".", flush=True)
        return True


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    role = sys.argv[1]
    keep = []
    if role == "watcher":
        keep.append(dbus.service.BusName(WATCHER, bus))
        keep.append(Watcher(bus))
    elif role == "notifications":
        keep.append(dbus.service.BusName(NOTIFY, bus))
        keep.append(Notifications(bus))
    elif role == "panel":
        panel = Panel(bus)
        keep.append(panel)
        GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, panel.on_input)
    print("ready", flush=True)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
