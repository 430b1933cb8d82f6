"""Tango device servers on the zrlmv package.

CorvaneServer holds CorvaneController (one serial line) and its CorvaneAxis devices in one
process, since the port is exclusive; LumivertServer holds one LumivertCamera per board.
Entry points: zrlmv.tango.servers.corvane_server and lumivert_server.
"""
