"""Controller links of this server process by controller device name: the axes of a line
reach their controller's one connection here."""

from __future__ import annotations

import threading
from typing import Optional

from .link import ControllerLink

_lock = threading.Lock()
_links: dict[str, ControllerLink] = {}


def publish(device_name: str, link: ControllerLink) -> None:
    with _lock:
        _links[device_name.lower()] = link


def withdraw(device_name: str) -> None:
    with _lock:
        _links.pop(device_name.lower(), None)


def find(device_name: str) -> Optional[ControllerLink]:
    with _lock:
        return _links.get(device_name.lower())
