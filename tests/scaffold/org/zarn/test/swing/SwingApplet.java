package org.zarn.test.swing;

import javax.swing.JApplet;
import javax.swing.JLabel;

// A Swing applet whose parameter goes through a static helper of another class.
public class SwingApplet extends JApplet {
    private static final long serialVersionUID = 1L;

    @Override
    public void init() {
        getContentPane().add(new JLabel(Params.text(this, "label")));
    }
}
