import java.applet.Applet;
import java.awt.AWTEvent;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.Font;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.MediaTracker;
import java.awt.event.MouseEvent;
import java.net.MalformedURLException;
import java.net.URL;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.Random;

/** The picture show of the Images templates: imagecount pictures, image1 to imageN, each fading into the next. */
@SuppressWarnings({"deprecation", "removal", "serial"})
public class ImageFader extends Applet implements Runnable {
    private final List<Image> pictures = new ArrayList<Image>();
    private final List<String> captions = new ArrayList<String>();
    private final Random random = new Random();
    private List<Integer> round = new ArrayList<Integer>();
    private int holdTime;
    private int fadeTime;
    private int steps;
    private String order;
    private boolean loop;
    private FadeFilter fade;
    private Color background;
    private Color border;
    private int borderWidth;
    private Image logo;
    private String href;
    private int current;
    private int next = -1;
    private int step;
    private volatile Thread runner;
    private Image buffer;
    // The page shows the window before init has run: paint waits for it.
    private volatile boolean ready;

    private String param(String name, String fallback) {
        String value = getParameter(name);
        return value == null || value.trim().isEmpty() ? fallback : value.trim();
    }

    private int number(String name, int fallback) {
        try {
            return Integer.parseInt(param(name, ""));
        } catch (NumberFormatException e) {
            return fallback;
        }
    }

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

    private Image load(MediaTracker tracker, String name, int id) {
        Image image = getImage(getCodeBase(), name);
        tracker.addImage(image, id);
        try {
            tracker.waitForID(id);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
        if (tracker.isErrorID(id)) {
            System.err.println("ImageFader: cannot load the picture " + name);
            return null;
        }
        return image;
    }

    @Override
    public void init() {
        MediaTracker tracker = new MediaTracker(this);
        int count = number("imagecount", 0);
        for (int i = 1; i <= count; i++) {
            Image picture = param("image" + i, "").isEmpty() ? null : load(tracker, param("image" + i, ""), i);
            if (picture != null)
                pictures.add(picture);
        }
        for (String caption : param("captions", "").split("\\|", -1))
            captions.add(caption.trim());
        String logoName = param("logo", "");
        if (!logoName.isEmpty())
            logo = load(tracker, logoName, 0);
        holdTime = Math.max(100, number("holdtime", 3000));
        fadeTime = Math.max(0, number("fadetime", 1000));
        steps = Math.max(2, number("steps", 24));
        order = param("order", "sequential");
        loop = !"0".equals(param("loop", "1"));
        double gamma = 1;
        try {
            gamma = Double.parseDouble(param("gamma", "1"));
        } catch (NumberFormatException e) {
            gamma = 1;
        }
        fade = new FadeFilter(gamma);
        background = colour(getParameter("bgcolor"), Color.white);
        border = colour(getParameter("bordercolor"), null);
        borderWidth = border == null ? 0 : Math.max(0, number("borderwidth", 0));
        href = param("href", "");
        // The applet hears its own clicks: the template's support files list no listener class.
        if (!href.isEmpty())
            enableEvents(AWTEvent.MOUSE_EVENT_MASK);
        showStatus(param("statustext", ""));
        ready = true;
        repaint();
    }

    @Override
    protected void processMouseEvent(MouseEvent e) {
        if (e.getID() == MouseEvent.MOUSE_CLICKED) {
            try {
                getAppletContext().showDocument(new URL(getDocumentBase(), href));
            } catch (MalformedURLException error) {
                showStatus("Bad link: " + href);
            }
        }
        super.processMouseEvent(e);
    }

    private int following() {
        if ("random".equalsIgnoreCase(order))
            return random.nextInt(pictures.size());
        if ("shuffle".equalsIgnoreCase(order)) {
            if (round.isEmpty()) {
                for (int i = 0; i < pictures.size(); i++)
                    round.add(i);
                Collections.shuffle(round, random);
            }
            return round.remove(0);
        }
        return (current + 1) % pictures.size();
    }

    @Override
    public void start() {
        runner = new Thread(this, "image fader");
        runner.start();
    }

    @Override
    public void stop() {
        runner = null;
    }

    @Override
    public void run() {
        Thread self = Thread.currentThread();
        try {
            while (runner == self && pictures.size() > 1) {
                Thread.sleep(holdTime);
                if (!loop && "sequential".equalsIgnoreCase(order) && current == pictures.size() - 1)
                    return;
                next = following();
                for (step = 1; step <= steps && runner == self; step++) {
                    repaint();
                    Thread.sleep(Math.max(10, fadeTime / steps));
                }
                current = next;
                next = -1;
                repaint();
            }
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
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
        g.setColor(border != null ? border : background);
        g.fillRect(0, 0, size.width, size.height);
        int w = size.width - 2 * borderWidth;
        int h = size.height - 2 * borderWidth;
        g.setColor(background);
        g.fillRect(borderWidth, borderWidth, w, h);
        if (!pictures.isEmpty()) {
            g.drawImage(pictures.get(current), borderWidth, borderWidth, w, h, this);
            if (next >= 0)
                fade.draw(g, pictures.get(next), borderWidth, borderWidth, w, h, Math.min(step, steps) / (double) steps, this);
        }
        int shown = next >= 0 && step > steps / 2 ? next : current;
        if (shown < captions.size() && !captions.get(shown).isEmpty()) {
            g.setFont(new Font("Helvetica", Font.BOLD, 14));
            int y = size.height - borderWidth - 8;
            g.setColor(Color.black);
            g.drawString(captions.get(shown), borderWidth + 9, y + 1);
            g.setColor(Color.white);
            g.drawString(captions.get(shown), borderWidth + 8, y);
        }
        if (logo != null)
            g.drawImage(logo, size.width - borderWidth - logo.getWidth(this) - 4,
                        size.height - borderWidth - logo.getHeight(this) - 4, this);
        g.dispose();
        screen.drawImage(buffer, 0, 0, this);
    }
}

/** The fade from one picture to the next: the new picture over the old one, its opacity following
 *  the brightness curve (gamma 1 is linear). */
final class FadeFilter {
    private final double gamma;

    FadeFilter(double gamma) {
        this.gamma = gamma > 0 ? gamma : 1;
    }

    float opacity(double progress) {
        return (float) Math.pow(Math.max(0, Math.min(1, progress)), gamma);
    }

    void draw(Graphics g, Image picture, int x, int y, int w, int h, double progress, java.awt.image.ImageObserver observer) {
        java.awt.Graphics2D g2 = (java.awt.Graphics2D) g.create();
        g2.setComposite(java.awt.AlphaComposite.getInstance(java.awt.AlphaComposite.SRC_OVER, opacity(progress)));
        g2.drawImage(picture, x, y, w, h, observer);
        g2.dispose();
    }
}
