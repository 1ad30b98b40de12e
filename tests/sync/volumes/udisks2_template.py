'''A UDisks2 daemon for the volume tests.

Drives, block devices and their file systems are added, mounted, unmounted and removed on
request through the org.freedesktop.DBus.Mock interface; each change sends the signals the real
daemon sends for it: InterfacesAdded and InterfacesRemoved on the object manager, and
PropertiesChanged on the object whose MountPoints changed (UDisks2 has no mount signal).
'''

import dbus

from dbusmock import MOCK_IFACE, OBJECT_MANAGER_IFACE, mockobject

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
MAIN_IFACE = OBJECT_MANAGER_IFACE
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

DRIVE_IFACE = 'org.freedesktop.UDisks2.Drive'
BLOCK_IFACE = 'org.freedesktop.UDisks2.Block'
FILESYSTEM_IFACE = 'org.freedesktop.UDisks2.Filesystem'
NO_OBJECT = dbus.ObjectPath('/')


def load(mock, _parameters):
    # The real daemon lists its manager object among the others: clients must pass over it.
    mock.AddObject(MAIN_OBJ + '/Manager', 'org.freedesktop.UDisks2.Manager',
                   {'Version': dbus.String('2.9.4')}, [])


UNMOUNT = (
    "fs = 'org.freedesktop.UDisks2.Filesystem'\n"
    "if self.props['org.freedesktop.UDisks2.Block'].get('Busy', False):\n"
    "    raise dbus.exceptions.DBusException('target is busy',\n"
    "                                        name='org.freedesktop.UDisks2.Error.DeviceBusy')\n"
    "none = dbus.Array([], signature='ay')\n"
    "self.props[fs]['MountPoints'] = none\n"
    "self.EmitSignal('org.freedesktop.DBus.Properties', 'PropertiesChanged', 'sa{sv}as',\n"
    "                [fs, dbus.Dictionary({'MountPoints': none}, signature='sv'),\n"
    "                 dbus.Array([], signature='s')])\n")


def byte_string(text):
    return dbus.ByteArray(text.encode() + b'\0')


def emit_added(mock, path, interfaces):
    props = mockobject.objects[path].props
    mock.EmitSignal(OBJECT_MANAGER_IFACE, 'InterfacesAdded', 'oa{sa{sv}}',
                    [dbus.ObjectPath(path),
                     dbus.Dictionary({name: props[name] for name in interfaces},
                                     signature='sa{sv}')])


def set_mount_points(path, mount_points):
    block = mockobject.objects[path]
    value = dbus.Array(mount_points, signature='ay')
    block.props[FILESYSTEM_IFACE]['MountPoints'] = value
    block.EmitSignal(dbus.PROPERTIES_IFACE, 'PropertiesChanged', 'sa{sv}as',
                     [FILESYSTEM_IFACE, dbus.Dictionary({'MountPoints': value}, signature='sv'),
                      dbus.Array([], signature='s')])


@dbus.service.method(MOCK_IFACE, in_signature='sa{sv}', out_signature='o')
def AddDrive(self, name, properties):
    '''Adds /org/freedesktop/UDisks2/drives/NAME; properties override the defaults.'''
    path = MAIN_OBJ + '/drives/' + name
    drive = {
        'Vendor': dbus.String(''),
        'Model': dbus.String(name),
        'Serial': dbus.String(''),
        'ConnectionBus': dbus.String(''),
        'Removable': dbus.Boolean(False),
        'MediaRemovable': dbus.Boolean(False),
        'MediaAvailable': dbus.Boolean(True),
        'MediaCompatibility': dbus.Array([], signature='s'),
        'Ejectable': dbus.Boolean(False),
        'CanPowerOff': dbus.Boolean(False),
    }
    drive.update(properties)
    # Powering off is only recorded (GetCalls on the drive's object).
    self.AddObject(path, DRIVE_IFACE, drive, [('PowerOff', 'a{sv}', '', '')])
    emit_added(self, path, [DRIVE_IFACE])
    return dbus.ObjectPath(path)


@dbus.service.method(MOCK_IFACE, in_signature='sobsa{sv}', out_signature='o')
def AddBlock(self, name, drive, with_filesystem, filesystem_type, properties):
    '''Adds /org/freedesktop/UDisks2/block_devices/NAME on DRIVE ("/" for none), with an
    unmounted file system when asked; one InterfacesAdded carries all of its interfaces.'''
    path = MAIN_OBJ + '/block_devices/' + name
    block = {
        'Device': byte_string('/dev/' + name),
        'PreferredDevice': byte_string('/dev/' + name),
        'Drive': dbus.ObjectPath(drive),
        'CryptoBackingDevice': NO_OBJECT,
        'Size': dbus.UInt64(32 * 1024 * 1024 * 1024),
        'IdUsage': dbus.String('filesystem' if with_filesystem else ''),
        'IdType': dbus.String(filesystem_type),
        'IdLabel': dbus.String(''),
        'HintIgnore': dbus.Boolean(False),
        'HintSystem': dbus.Boolean(drive == NO_OBJECT),
    }
    block.update(properties)
    self.AddObject(path, BLOCK_IFACE, block, [])
    interfaces = [BLOCK_IFACE]
    if with_filesystem:
        mockobject.objects[path].AddProperties(FILESYSTEM_IFACE, {
            'MountPoints': dbus.Array([], signature='ay'),
            'Size': dbus.UInt64(0),
        })
        # Unmount as the daemon does it, or refused when the test set the block busy (Busy).
        mockobject.objects[path].AddMethod(FILESYSTEM_IFACE, 'Unmount', 'a{sv}', '', UNMOUNT)
        interfaces.append(FILESYSTEM_IFACE)
    emit_added(self, path, interfaces)
    return dbus.ObjectPath(path)


@dbus.service.method(MOCK_IFACE, in_signature='os', out_signature='')
def Mount(self, path, mount_point):
    '''Adds MOUNT_POINT to the block's file system, after those it already has.'''
    current = list(mockobject.objects[path].props[FILESYSTEM_IFACE]['MountPoints'])
    set_mount_points(path, current + [byte_string(mount_point)])


@dbus.service.method(MOCK_IFACE, in_signature='o', out_signature='')
def Unmount(self, path):
    '''Takes all mount points from the block's file system.'''
    set_mount_points(path, [])


@dbus.service.method(MOCK_IFACE, in_signature='o', out_signature='')
def Remove(self, path):
    '''Removes a drive or block object as the daemon does when the device goes, mounted or not.'''
    interfaces = dbus.Array(mockobject.objects[path].props.keys(), signature='s')
    self.RemoveObject(path)
    self.EmitSignal(OBJECT_MANAGER_IFACE, 'InterfacesRemoved', 'oas',
                    [dbus.ObjectPath(path), interfaces])
