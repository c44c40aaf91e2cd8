import java.applet.Applet;
import java.awt.AWTEvent;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.MediaTracker;
import java.awt.event.MouseEvent;
import java.net.MalformedURLException;
import java.net.URL;
import java.util.ArrayList;
import java.util.List;

/** The menu bar of the Vectors templates: "menu" lists {label=page} couples separated by ";"
 *  (after an optional "menu:"), "style" holds name:value couples (font, size, color). */
@SuppressWarnings({"deprecation", "removal", "serial"})
public class MenuBar extends Applet {
    private final List<MenuButton> buttons = new ArrayList<MenuButton>();
    private Font font;
    private Color colour;
    private Image background;
    private MenuButton hovered;
    private Image buffer;
    // The page shows the window before init has run: paint waits for it.
    private volatile boolean ready;

    private static Color colour(String text, Color fallback) {
        if (text == null || text.trim().isEmpty())
            return fallback;
        String digits = text.trim();
        if (digits.startsWith("#"))
            digits = digits.substring(1);
        else if (digits.startsWith("0x") || digits.startsWith("0X"))
            digits = digits.substring(2);
        try {
            return new Color(Integer.parseInt(digits, 16));
        } catch (NumberFormatException e) {
            return fallback;
        }
    }

    @Override
    public void init() {
        String menu = getParameter("menu");
        menu = menu == null ? "" : menu.trim();
        if (menu.startsWith("menu:"))
            menu = menu.substring("menu:".length());
        for (String couple : menu.split(";")) {
            String entry = couple.trim();
            if (entry.startsWith("{") && entry.endsWith("}"))
                entry = entry.substring(1, entry.length() - 1);
            int equals = entry.indexOf('=');
            if (equals > 0)
                buttons.add(new MenuButton(entry.substring(0, equals).trim(), entry.substring(equals + 1).trim()));
        }
        String fontName = "Helvetica";
        int size = 12;
        colour = new Color(0x000080);
        String style = getParameter("style");
        for (String couple : (style == null ? "" : style).split(";")) {
            int colon = couple.indexOf(':');
            if (colon < 0)
                continue;
            String name = couple.substring(0, colon).trim();
            String value = couple.substring(colon + 1).trim();
            if (name.equalsIgnoreCase("font") && !value.isEmpty())
                fontName = value;
            else if (name.equalsIgnoreCase("size")) {
                try {
                    size = Math.max(6, Math.min(72, Integer.parseInt(value)));
                } catch (NumberFormatException e) {
                    size = 12;
                }
            } else if (name.equalsIgnoreCase("color"))
                colour = colour(value, colour);
        }
        font = new Font(fontName, Font.BOLD, size);
        String picture = getParameter("background");
        if (picture != null && !picture.trim().isEmpty()) {
            background = getImage(getCodeBase(), picture.trim());
            MediaTracker tracker = new MediaTracker(this);
            tracker.addImage(background, 0);
            try {
                tracker.waitForAll();
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
            if (tracker.isErrorAny()) {
                System.err.println("MenuBar: cannot load the background picture " + picture.trim());
                background = null;
            }
        }
        enableEvents(AWTEvent.MOUSE_EVENT_MASK | AWTEvent.MOUSE_MOTION_EVENT_MASK);
        ready = true;
        repaint();
    }

    private MenuButton at(int x, int y) {
        for (MenuButton button : buttons)
            if (button.contains(x, y))
                return button;
        return null;
    }

    @Override
    protected void processMouseEvent(MouseEvent e) {
        if (e.getID() == MouseEvent.MOUSE_CLICKED) {
            MenuButton button = at(e.getX(), e.getY());
            if (button != null) {
                try {
                    getAppletContext().showDocument(new URL(getDocumentBase(), button.page()));
                } catch (MalformedURLException error) {
                    showStatus("Bad page: " + button.page());
                }
            }
        } else if (e.getID() == MouseEvent.MOUSE_EXITED) {
            hover(null);
        }
        super.processMouseEvent(e);
    }

    @Override
    protected void processMouseMotionEvent(MouseEvent e) {
        if (e.getID() == MouseEvent.MOUSE_MOVED)
            hover(at(e.getX(), e.getY()));
        super.processMouseMotionEvent(e);
    }

    private void hover(MenuButton button) {
        if (button == hovered)
            return;
        hovered = button;
        showStatus(button == null ? "" : button.page());
        repaint();
    }

    @Override
    public void update(Graphics g) {
        paint(g);
    }

    @Override
    public void paint(Graphics screen) {
        Dimension size = getSize();
        if (size.width <= 0 || size.height <= 0 || !ready)
            return;
        if (buffer == null || buffer.getWidth(this) != size.width || buffer.getHeight(this) != size.height)
            buffer = createImage(size.width, size.height);
        Graphics g = buffer.getGraphics();
        g.setColor(new Color(0xE0E0E0));
        g.fillRect(0, 0, size.width, size.height);
        if (background != null) {
            int w = Math.max(1, background.getWidth(this));
            int h = Math.max(1, background.getHeight(this));
            for (int y = 0; y < size.height; y += h)
                for (int x = 0; x < size.width; x += w)
                    g.drawImage(background, x, y, this);
        }
        g.setFont(font);
        FontMetrics metrics = g.getFontMetrics();
        int x = 4;
        for (MenuButton button : buttons) {
            int width = metrics.stringWidth(button.label()) + 24;
            button.place(x, 2, width, size.height - 4);
            button.paint(g, metrics, colour, button == hovered);
            x += width + 4;
        }
        g.dispose();
        screen.drawImage(buffer, 0, 0, this);
    }
}

/** One entry of the menu: its label, the page it opens, and where the bar drew it. */
final class MenuButton {
    private final String label;
    private final String page;
    private int x;
    private int y;
    private int width;
    private int height;

    MenuButton(String label, String page) {
        this.label = label;
        this.page = page;
    }

    String label() {
        return label;
    }

    String page() {
        return page;
    }

    void place(int left, int top, int w, int h) {
        x = left;
        y = top;
        width = w;
        height = h;
    }

    boolean contains(int px, int py) {
        return px >= x && px < x + width && py >= y && py < y + height;
    }

    void paint(Graphics g, FontMetrics metrics, Color colour, boolean hovered) {
        g.setColor(hovered ? Color.white : new Color(0xF4F4F4));
        g.fill3DRect(x, y, width, height, !hovered);
        g.setColor(colour);
        g.drawString(label, x + 12, y + (height + metrics.getAscent() - metrics.getDescent()) / 2);
    }
}
