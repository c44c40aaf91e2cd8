import java.applet.Applet;

// States its parameters with getParameterInfo, its size in init.
public class InfoApplet extends Applet {
    private static final long serialVersionUID = 1L;

    @Override
    public void init() {
        resize(420, 240);
    }

    @Override
    public String getAppletInfo() {
        return "Info applet 1.0, written for the ZARN tests";
    }

    @Override
    public String[][] getParameterInfo() {
        return new String[][] {
            {"speed", "int", "Scrolling speed"},
            {"alpha", "0-255", "Opacity"},
            {"scale", "double", "Zoom factor"},
            {"loop", "true/false", "Repeat forever"},
            {"sound", "yes/no", null},
            {"bgcolor", "color", "Background"},
            {"image", "URL", "Picture to show"},
            {"align", "left|center|right", "Alignment"},
            {"showToolBar", "String", null},
        };
    }
}
