#!/usr/bin/python3
"""The bare floor: one office that is already running loads each document
hidden, prints it to the queue with Wait, and closes it. Nothing else.
   uno_print_loop.py PIPE-NAME QUEUE FILE..."""
import os
import sys

import uno
from com.sun.star.beans import PropertyValue


def props(**values):
    out = []
    for name, value in values.items():
        p = PropertyValue()
        p.Name = name
        p.Value = value
        out.append(p)
    return tuple(out)


def main():
    pipe, queue, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
    desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
    for path in files:
        document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(path), "_blank", 0,
                                                props(Hidden=True, ReadOnly=True))
        document.setPrinter(props(Name=queue))
        document.print(props(Wait=True))
        document.close(True)


if __name__ == "__main__":
    main()
    # The bridge's teardown at the interpreter's exit can crash after all
    # the work is done; there is nothing left to tear down.
    sys.stdout.flush()
    os._exit(0)
