#!/usr/bin/env python3
"""Writes the map benchmark's site: tests/server/make-site.py's DEVICES x CHANNELS site with
one device more, put first in the device list, of LOCATED channels that are all on line and
placed on a grid around the seeded map centre (positions as the seeded channels carry them:
GpsLatitude/GpsLongitude and Latitude/Longitude, WGS-84 degrees).
Use: make-map-site.py DEVICES CHANNELS LOCATED OUT.json"""
import importlib.util
import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SITE = os.path.join(HERE, "..", "..", "tests", "server", "make-site.py")


def load_site_maker():
    spec = importlib.util.spec_from_file_location("make_site", SITE)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def add_located_device(data, located):
    device_id = max(d["DeviceID"] for d in data["Devices"]) + 1
    first_channel = max(c["ChannelID"] for c in data["Channels"]) + 1
    data["Devices"].insert(0, dict(data["Devices"][0], DeviceID=device_id, DeviceName="地图设备-%d" % located,
                                   GbDeviceID="3402000000132%07d" % device_id, DeviceHandle=device_id))
    template = data["Channels"][0]
    side = int(located ** 0.5) + 1
    for number in range(located):
        channel_id = first_channel + number
        latitude = 30.26 + (number // side) * 0.0005
        longitude = 120.14 + (number % side) * 0.0005
        data["Channels"].append(dict(template, ChannelID=channel_id, ParentDeviceID=device_id,
                                     Name="地图通道-%04d" % (number + 1), Online=1, Parental=0, SubCount=0,
                                     Channels=[], FavoritesChannel=0, SnapUrl="",
                                     GBChannelID="3402000000131%07d" % channel_id,
                                     GBDeviceID="3402000000132%07d" % device_id,
                                     GpsLatitude=latitude, GpsLongitude=longitude,
                                     Latitude=latitude, Longitude=longitude))
    return device_id


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    devices, channels, located = (int(value) for value in sys.argv[1:4])
    site = load_site_maker()
    data = site.build(devices, channels, 100, 25, os.path.join(HERE, "..", "..", "tests", "server", "seed.json"))
    device_id = add_located_device(data, located)
    with open(sys.argv[4], "w", encoding="utf-8") as out:
        json.dump(data, out, ensure_ascii=False)
    print(device_id)


if __name__ == "__main__":
    main()
