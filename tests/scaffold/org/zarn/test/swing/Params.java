package org.zarn.test.swing;

import java.applet.Applet;

final class Params {
    private Params() {
    }

    static String text(Applet applet, String name) {
        String value = applet.getParameter(name);
        return value == null ? "" : value;
    }
}
