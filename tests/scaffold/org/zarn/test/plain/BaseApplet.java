package org.zarn.test.plain;

import java.applet.Applet;

// A superclass within the archive, with a helper whose argument reaches getParameter.
public abstract class BaseApplet extends Applet {
    private static final long serialVersionUID = 1L;

    protected String readParameter(String name, boolean required) {
        String value = getParameter(name);
        if (value == null && required) {
            throw new IllegalStateException(name + " is missing");
        }
        return value;
    }

    @Override
    public void start() {
        if (getParameter("baseParam") != null) {
            repaint();
        }
    }
}
