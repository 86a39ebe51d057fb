#!/usr/bin/env python3
"""Writes the test server's data for the tree benchmark's large cases: the seeded data plus
a platform device of CHANNELS channels, one of which (at SUB_AT) has SUBS sub-channels, and
a group of those channels. Use: large-site.py OUT.json [--channels 2000] [--sub-at 500]
[--subs 50]. The test server reads the result with --data OUT.json (or POST /__control/data)."""
import argparse
import json
import os

SEED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "server", "seed.json")

DEVICE_NAME = "平台设备"
GROUP_NAME = "平台分组"


def build(channels, sub_at, subs, seed_path):
    data = json.load(open(seed_path, encoding="utf-8"))
    device_template = data["Devices"][0]
    channel_template = next(c for c in data["Channels"] if c.get("Parental", 0) == 0 and "_ParentChannelID" not in c)
    device_id = max(d["DeviceID"] for d in data["Devices"]) + 1
    next_channel = max(c["ChannelID"] for c in data["Channels"]) + 1
    data["Devices"].append(dict(device_template, DeviceID=device_id, DeviceName=DEVICE_NAME,
                                GbDeviceID="3402000000132%07d" % device_id, DeviceHandle=device_id))

    def channel(number, name, **extra):
        nonlocal next_channel
        channel_id = next_channel
        next_channel += 1
        record = dict(channel_template, ChannelID=channel_id, ParentDeviceID=device_id, Name=name,
                      Online=0 if number % 10 == 9 else 1, Parental=0, SubCount=0, Channels=[], FavoritesChannel=0,
                      SnapUrl="", GBChannelID="3402000000131%07d" % channel_id,
                      GBDeviceID="3402000000132%07d" % device_id)
        record.update(extra)
        data["Channels"].append(record)
        return channel_id

    site = []
    for c in range(channels):
        parent = channel(c, "平台通道-%04d" % (c + 1), Parental=1 if c == sub_at else 0)
        site.append(parent)
        if c == sub_at:
            for s in range(subs):
                channel(s, "平台通道-%04d-%02d" % (c + 1, s + 1), _ParentChannelID=parent)
    first_group = max(g["ID"] for g in data["Groups"]) + 1
    data["Groups"].append({"ID": first_group, "Name": GROUP_NAME, "Channels": site})
    return data


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--channels", type=int, default=2000)
    parser.add_argument("--sub-at", type=int, default=500)
    parser.add_argument("--subs", type=int, default=50)
    parser.add_argument("--seed", default=SEED)
    args = parser.parse_args()
    data = build(args.channels, args.sub_at, args.subs, args.seed)
    with open(args.out, "w", encoding="utf-8") as out:
        json.dump(data, out, ensure_ascii=False)


if __name__ == "__main__":
    main()
