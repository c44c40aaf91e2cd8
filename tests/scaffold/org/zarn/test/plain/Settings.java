package org.zarn.test.plain;

import java.applet.Applet;

// Not an applet: asks the applet it is given.
class Settings {
    private final Applet applet;

    Settings(Applet applet) {
        this.applet = applet;
    }

    String read() {
        return applet.getParameter("fromSettings");
    }
}
