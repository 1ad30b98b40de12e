#!/usr/bin/python3
"""A StatusNotifier watcher with a host, as a desktop panel runs it: everything is in place before
its name appears on the session bus. Writes each item registration to the log file given."""
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

INTERFACE = "org.kde.StatusNotifierWatcher"
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
log = open(sys.argv[1], "a", buffering=1)


class Watcher(dbus.service.Object):
    properties = {
        "IsStatusNotifierHostRegistered": True,
        "ProtocolVersion": dbus.Int32(0),
        "RegisteredStatusNotifierItems": dbus.Array([], signature="s"),
    }

    @dbus.service.method(INTERFACE, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        log.write(f"RegisterStatusNotifierItem {service} from {sender}\n")

    @dbus.service.method(INTERFACE, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties

    @dbus.service.signal(INTERFACE)
    def StatusNotifierHostRegistered(self):
        pass

    # With the properties, which Qt reads through the description: dbus-python's leaves them out.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return f"""<node>
  <interface name="{INTERFACE}">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
    <method name="GetAll"><arg type="s" direction="in"/><arg type="a{{sv}}" direction="out"/></method>
  </interface>
</node>"""


bus = dbus.SessionBus()
watcher = Watcher(bus, "/StatusNotifierWatcher")
name = dbus.service.BusName(INTERFACE, bus)
watcher.StatusNotifierHostRegistered()
GLib.MainLoop().run()
