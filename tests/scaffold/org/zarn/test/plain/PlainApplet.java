package org.zarn.test.plain;

// Reads its parameters with plain getParameter calls, through a helper and in another class.
public class PlainApplet extends BaseApplet {
    private static final long serialVersionUID = 1L;
    private String toolBar;
    private String size;

    @Override
    public void init() {
        toolBar = getParameter("showToolBar");
        size = readParameter("fontSize", true);
        String again = getParameter("SHOWTOOLBAR");
        new Settings(this).read();
        if (again == null && toolBar == null && size == null) {
            repaint();
        }
    }
}
