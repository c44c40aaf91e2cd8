import java.applet.Applet;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.Graphics;
import java.awt.Graphics2D;
import java.awt.AlphaComposite;
import java.awt.Image;
import java.awt.MediaTracker;
import java.util.ArrayList;
import java.util.List;

/** The slide show of the Vectors templates: imgCount slides, img1 to imgN, shown in turn. */
@SuppressWarnings({"deprecation", "removal", "serial"})
public class SlideShow extends Applet implements Runnable {
    private static final int FRAMES = 20;

    private final List<Image> slides = new ArrayList<Image>();
    private int delay;
    private boolean loop;
    private String transition;
    private int current;
    private int previous = -1;
    private float progress = 1;
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

    @Override
    public void init() {
        MediaTracker tracker = new MediaTracker(this);
        int count = number("imgCount", 0);
        for (int i = 1; i <= count; i++) {
            String name = param("img" + i, "");
            if (name.isEmpty())
                continue;
            Image slide = getImage(getCodeBase(), name);
            tracker.addImage(slide, i);
            try {
                tracker.waitForID(i);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
                return;
            }
            if (tracker.isErrorID(i))
                System.err.println("SlideShow: cannot load the slide " + name);
            else
                slides.add(slide);
        }
        delay = Math.max(100, number("delay", 5000));
        loop = !"no".equalsIgnoreCase(param("loop", "yes"));
        transition = param("transition", "cut");
        showStatus(slides.size() + " slides");
        ready = true;
        repaint();
    }

    @Override
    public void start() {
        runner = new Thread(this, "slide show");
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
            while (runner == self && slides.size() > 1) {
                Thread.sleep(delay);
                if (!loop && current == slides.size() - 1)
                    return;
                previous = current;
                current = (current + 1) % slides.size();
                int frames = "cut".equalsIgnoreCase(transition) ? 1 : FRAMES;
                for (int frame = 1; frame <= frames && runner == self; frame++) {
                    progress = frame / (float) frames;
                    repaint();
                    Thread.sleep(40);
                }
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
        g.setColor(Color.black);
        g.fillRect(0, 0, size.width, size.height);
        if (slides.isEmpty()) {
            g.setColor(Color.white);
            g.drawString("No slides", 10, 20);
        } else if (previous < 0 || progress >= 1) {
            g.drawImage(slides.get(current), 0, 0, size.width, size.height, this);
        } else if ("wipe".equalsIgnoreCase(transition)) {
            g.drawImage(slides.get(previous), 0, 0, size.width, size.height, this);
            g.clipRect(0, 0, Math.round(size.width * progress), size.height);
            g.drawImage(slides.get(current), 0, 0, size.width, size.height, this);
        } else {
            g.drawImage(slides.get(previous), 0, 0, size.width, size.height, this);
            ((Graphics2D) g).setComposite(AlphaComposite.getInstance(AlphaComposite.SRC_OVER, progress));
            g.drawImage(slides.get(current), 0, 0, size.width, size.height, this);
        }
        g.dispose();
        screen.drawImage(buffer, 0, 0, this);
    }
}
