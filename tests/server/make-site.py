#!/usr/bin/env python3
"""Writes the test server's data for a large site: the seeded data plus DEVICES devices of
CHANNELS channels each, gathered in groups of GROUP_SIZE channels, every STAR-th channel a
favourite. Channels alternate on line and off line in blocks, so that the status rings and
the trees show both. Use: make-site.py DEVICES CHANNELS OUT.json [--group-size 100] [--star 25]
The test server reads the result with --data OUT.json."""
import argparse
import json
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def build(devices, channels, group_size, star, seed_path):
    data = json.load(open(seed_path, encoding="utf-8"))
    device_template = data["Devices"][0]
    channel_template = data["Channels"][0]
    first_device = max(d["DeviceID"] for d in data["Devices"]) + 1
    first_channel = max(c["ChannelID"] for c in data["Channels"]) + 1
    first_group = max(g["ID"] for g in data["Groups"]) + 1
    site_channels = []
    for d in range(devices):
        device_id = first_device + d
        data["Devices"].append(dict(device_template, DeviceID=device_id, DeviceName="站点设备-%03d" % (d + 1),
                                    GbDeviceID="3402000000132%07d" % device_id, DeviceHandle=device_id))
        for c in range(channels):
            number = d * channels + c
            channel_id = first_channel + number
            site_channels.append(channel_id)
            data["Channels"].append(dict(channel_template, ChannelID=channel_id, ParentDeviceID=device_id,
                                         Name="通道-%03d-%02d" % (d + 1, c + 1), Online=0 if c % 10 == 9 else 1,
                                         Parental=0, SubCount=0, Channels=[],
                                         FavoritesChannel=1 if number % star == 0 else 0,
                                         SnapUrl="", GBChannelID="3402000000131%07d" % channel_id,
                                         GBDeviceID="3402000000132%07d" % device_id,
                                         GpsLatitude=30.20 + (number % 100) * 0.002,
                                         GpsLongitude=120.10 + (number // 100) * 0.002,
                                         Latitude=30.20 + (number % 100) * 0.002,
                                         Longitude=120.10 + (number // 100) * 0.002))
    for g in range(0, len(site_channels), group_size):
        data["Groups"].append({"ID": first_group + g // group_size, "Name": "站点分组-%03d" % (g // group_size + 1),
                               "Channels": site_channels[g:g + group_size]})
    return data


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("devices", type=int)
    parser.add_argument("channels", type=int)
    parser.add_argument("out")
    parser.add_argument("--group-size", type=int, default=100)
    parser.add_argument("--star", type=int, default=25)
    parser.add_argument("--seed", default=os.path.join(HERE, "seed.json"))
    args = parser.parse_args()
    data = build(args.devices, args.channels, args.group_size, args.star, args.seed)
    with open(args.out, "w", encoding="utf-8") as out:
        json.dump(data, out, ensure_ascii=False)


if __name__ == "__main__":
    main()
