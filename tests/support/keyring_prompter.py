#!/usr/bin/python3
"""Stands in for the desktop's keyring prompt (where a user types the
keyring's password) on the session bus, for gnome-keyring-daemon started with
GNOME_KEYRING_TEST_PROMPTER=<--name>. Every prompt is answered after --delay
seconds: a password prompt with --password, a confirmation with yes; with
--refuse every prompt is refused (the real one's Cancel). Each prompt appends
"prompt <type>" to --log. Prints "ready" once it owns its name. The password
goes as the real prompter sends it: encrypted with a key agreed by
Diffie-Hellman (RFC 3526's 1536-bit group, HKDF-SHA256, AES-128-CBC).
"""

import argparse
import base64
import hashlib
import hmac
import os
import secrets
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib
from cryptography.hazmat.primitives import padding
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

PRIME = int(
    "FFFFFFFFFFFFFFFFC90FDAA22168C234C4C6628B80DC1CD129024E088A67CC74020BBEA63B139B22514A08798E3404DD"
    "EF9519B3CD3A431B302B0A6DF25F14374FE1356D6D51C245E485B576625E7EC6F44C42E9A637ED6B0BFF5CB6F406B7ED"
    "EE386BFB5A899FA5AE9F24117C4B1FE649286651ECE45B3DC2007CB8A163BF0598DA48361C55D39A69163FA8FD24CF5F"
    "83655D23DCA3AD961C62F356208552BB9ED529077096966D670C354E4ABC9804F1746C08CA237327FFFFFFFFFFFFFFFF", 16)
PRIME_BYTES = 192
CALLBACK = "org.gnome.keyring.internal.Prompter.Callback"


def minimal_bytes(n):
    return n.to_bytes((n.bit_length() + 7) // 8, "big")


class Exchange:
    """One side of the secret exchange: our public key, and the key agreed."""

    def __init__(self):
        self.private = secrets.randbelow(PRIME - 3) + 2
        self.public = pow(2, self.private, PRIME)
        self.key = None

    def receive(self, text):
        fields = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)
        peer = int.from_bytes(base64.b64decode(fields["public"]), "big")
        shared = pow(peer, self.private, PRIME).to_bytes(PRIME_BYTES, "big")
        prk = hmac.new(b"\0" * 32, shared, hashlib.sha256).digest()
        self.key = hmac.new(prk, b"\x01", hashlib.sha256).digest()[:16]

    def send(self, secret=None):
        text = "[sx-aes-1]\npublic=" + base64.b64encode(minimal_bytes(self.public)).decode()
        if secret is not None:
            iv = os.urandom(16)
            padder = padding.PKCS7(128).padder()
            plain = padder.update(secret.encode()) + padder.finalize()
            enc = Cipher(algorithms.AES(self.key), modes.CBC(iv)).encryptor()
            text += "\nsecret=" + base64.b64encode(enc.update(plain) + enc.finalize()).decode()
            text += "\niv=" + base64.b64encode(iv).decode()
        return text


class Prompter(dbus.service.Object):
    def __init__(self, bus, args):
        super().__init__(bus, "/org/gnome/keyring/Prompter")
        self.bus = bus
        self.args = args
        self.exchanges = {}

    def ready(self, caller, path, reply, secret=None):
        self.bus.get_object(caller, path, introspect=False).PromptReady(
            reply, dbus.Dictionary({}, signature="sv"), self.exchanges[(caller, path)].send(secret),
            dbus_interface=CALLBACK, reply_handler=lambda: None, error_handler=lambda e: None)
        return False

    @dbus.service.method("org.gnome.keyring.internal.Prompter", in_signature="o", sender_keyword="caller")
    def BeginPrompting(self, path, caller=None):
        self.exchanges[(caller, path)] = Exchange()
        GLib.idle_add(self.ready, caller, path, "")

    @dbus.service.method("org.gnome.keyring.internal.Prompter", in_signature="osa{sv}s", sender_keyword="caller")
    def PerformPrompt(self, path, kind, properties, exchange, caller=None):
        self.exchanges[(caller, path)].receive(str(exchange))
        with open(self.args.log, "a") as f:
            f.write("prompt %s\n" % kind)
        if self.args.refuse:
            answer = ("no", None)
        else:
            answer = ("yes", self.args.password if kind == "password" else None)
        GLib.timeout_add(int(self.args.delay * 1000), self.ready, caller, path, *answer)

    @dbus.service.method("org.gnome.keyring.internal.Prompter", in_signature="o", sender_keyword="caller")
    def StopPrompting(self, path, caller=None):
        if self.exchanges.pop((caller, path), None) is not None:
            self.bus.get_object(caller, path, introspect=False).PromptDone(
                dbus_interface=CALLBACK, reply_handler=lambda: None, error_handler=lambda e: None)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--name", required=True)
    ap.add_argument("--password", default="")
    ap.add_argument("--delay", type=float, default=0)
    ap.add_argument("--refuse", action="store_true")
    ap.add_argument("--log", default="/dev/null")
    args = ap.parse_args()
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(args.name, bus)
    prompter = Prompter(bus, args)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, prompter


if __name__ == "__main__":
    sys.exit(main())
