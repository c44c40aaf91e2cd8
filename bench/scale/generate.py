#!/usr/bin/env python3
"""Writes a template of N string parameters (about 170 bytes each) to stdout or a file."""
import sys


def template(n):
    out = [
        "; Generated for timing the command line at scale.\r\n",
        "[Applet Basic Parameters]\r\nCode=Scale.class\r\nWidth=400\r\nHeight=300\r\n"
        "HSpace=0\r\nVSpace=0\r\nAlign=4\r\nCodeBase=\r\nWebRoot=\r\nTemplateFile=1\r\nDoc=\r\n"
        "AlternateText=No applets here.\r\nCopy=\r\n\r\n",
        "[Description]\r\nComment=Many string parameters\r\nJavaAuthor=bench\r\n"
        "Zarnifier=bench\r\nCopyright=\r\n\r\n",
        "[Pages]\r\nPage0=Parameters\r\n\r\n",
        "[Applet Parameters]\r\n",
    ]
    out += ["Param%d=p%d\r\n" % (i, i) for i in range(n)]
    out.append("\r\n")
    for i in range(n):
        out.append(
            "[p%d parameter]\r\nClass=TAPString\r\nUFName=Text number %d shown on the page\r\n"
            "Hint=What the applet shows in place %d\r\nValue=value of parameter %d\r\n"
            "Page=0\r\n\r\n" % (i, i, i, i))
    return "".join(out)


if __name__ == "__main__":
    text = template(int(sys.argv[1]))
    if len(sys.argv) > 2:
        with open(sys.argv[2], "w", newline="") as f:
            f.write(text)
    else:
        sys.stdout.write(text)
