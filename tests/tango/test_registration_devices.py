"""The demo's registration script against the test configuration: same classes per server,
the same properties per class, every mandatory property given, no unknown ones, axes naming a
controller of their own server."""

from __future__ import annotations

import importlib
import importlib.util

import pytest

import settings
from conftest import SOURCE_DIR

SERVER_CLASSES = {"CorvaneServer": ("CorvaneController", "CorvaneAxis"),
                  "LumivertServer": ("LumivertCamera",)}


def demo_script():
    path = SOURCE_DIR / "scripts" / "tango-demo" / "register.py"
    spec = importlib.util.spec_from_file_location("tango_demo_register", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def demo_servers() -> dict:
    return demo_script().servers("/run/corvane-sim.port")


def test_servers() -> dict:
    """The test configuration in the demo's form."""
    out = {}
    for server, devices_info in (("CorvaneServer", settings.corvane_devices(7, "/p")),
                                 ("LumivertServer", settings.camera_devices())):
        out[server] = {info["class"].rpartition(".")[2]:
                       {d["name"]: d["properties"] for d in info["devices"]}
                       for info in devices_info}
    return out


test_servers.__test__ = False  # a helper, not a test


def device_class(name: str):
    module = {"CorvaneController": "controller_device", "CorvaneAxis": "axis_device",
              "LumivertCamera": "camera_device"}[name]
    return getattr(importlib.import_module(f"zrlmv.tango.{module}"), name)


def declared(cls) -> tuple:
    """(all property names, mandatory ones) the device class declares."""
    props = cls.TangoClassClass.device_property_list
    mandatory = {n for n, p in props.items() if len(p) > 3 and p[3]}
    return set(props), mandatory


@pytest.mark.parametrize("source", [demo_servers, test_servers])
def test_configuration_fits_the_device_classes(source):
    configuration = source()
    assert {s.split("/")[0] for s in configuration} == set(SERVER_CLASSES)
    for server, classes in configuration.items():
        assert tuple(classes) == SERVER_CLASSES[server.split("/")[0]]
        for class_name, devices in classes.items():
            names, mandatory = declared(device_class(class_name))
            for device, properties in devices.items():
                given = set(properties)
                assert given <= names, f"{device}: unknown {given - names}"
                assert mandatory <= given, f"{device}: lacks {mandatory - given}"
        controllers = set(classes.get("CorvaneController", {}))
        for device, properties in classes.get("CorvaneAxis", {}).items():
            assert properties["Controller"] in controllers, device


def test_demo_gives_each_class_the_properties_the_tests_give():
    demo, tests = demo_servers(), test_servers()
    for server in SERVER_CLASSES:
        demo_classes = next(v for k, v in demo.items() if k.split("/")[0] == server)
        for class_name, devices in tests[server].items():
            test_keys = {frozenset(p) for p in devices.values()}
            demo_keys = {frozenset(p) for p in demo_classes[class_name].values()}
            assert demo_keys == test_keys, class_name


def test_registration_writes_devices_and_properties_as_strings():
    module = demo_script()

    class RecordingDatabase:
        def __init__(self):
            self.devices, self.properties = [], {}

        def add_device(self, info):
            self.devices.append((info.server, info._class, info.name))

        def put_device_property(self, name, properties):
            self.properties[name] = properties

    db = RecordingDatabase()
    module.register(db, module.servers("/x.port"))
    assert ("CorvaneServer/demo", "CorvaneAxis", "demo/corvane/b") in db.devices
    assert len(db.devices) == 4
    assert db.properties["demo/corvane/ctl"]["Stages"] == ["A=LT-50-DC", "B=LT-100-STEP"]
    assert db.properties["demo/corvane/ctl"]["PortFile"] == ["/x.port"]
    assert db.properties["demo/lumivert/0"]["Roi"] == ["1", "9999", "1", "9999"]


@pytest.mark.parametrize("entries, expected", [
    (["A=LT-50-DC", " b = LT-100-STEP "], {"A": "LT-50-DC", "B": "LT-100-STEP"}),
    ([], {}),
])
def test_stage_entries_parse(entries, expected):
    from zrlmv.tango.link import parse_stages
    assert parse_stages(entries) == expected


@pytest.mark.parametrize("entry", ["A", "AB=LT-50-DC", "=LT-50-DC", "A="])
def test_bad_stage_entry_is_named(entry):
    from zrlmv.tango.link import parse_stages
    with pytest.raises(ValueError, match=entry):
        parse_stages([entry])
