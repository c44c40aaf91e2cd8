package zarn.viewer;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.URISyntaxException;
import java.net.URL;
import java.net.URLConnection;
import java.nio.charset.Charset;
import java.nio.file.InvalidPathException;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.Files;

/** Reads the page: a regular file of sound size, or a URL that must answer in time. A pipe, a device
 *  or a silent server would otherwise hold the viewer forever. */
final class PageSource {

    static final int MAX_BYTES = 16 * 1024 * 1024;
    /** Milliseconds to connect and for each read, for the page, the applets' classes and archives,
     *  and what the applets fetch themselves. */
    static final String TIMEOUT_PROPERTY = "zarn.viewer.timeout";
    static final int DEFAULT_TIMEOUT_MILLIS = 20000;

    private PageSource() {
    }

    static int timeoutMillis() {
        Integer millis = Integer.getInteger(TIMEOUT_PROPERTY);
        return millis != null && millis > 0 ? millis : DEFAULT_TIMEOUT_MILLIS;
    }

    /** The class loaders and the applets open their connections themselves; the runtime's defaults
     *  reach those. They are read once, so this comes before the first connection. */
    static void setNetworkTimeouts() {
        String millis = Integer.toString(timeoutMillis());
        for (String name : new String[] {"sun.net.client.defaultConnectTimeout", "sun.net.client.defaultReadTimeout"})
            if (System.getProperty(name) == null)
                System.setProperty(name, millis);
    }

    /** Pages from ZARN are Windows-1252 text, as are most pages of the applet years. */
    static String read(URL url) throws Main.Failure {
        Path file = localFile(url);
        try (InputStream in = file != null ? openFile(file) : openURL(url)) {
            ByteArrayOutputStream bytes = new ByteArrayOutputStream();
            byte[] buffer = new byte[8192];
            for (int n; (n = in.read(buffer)) > 0;) {
                bytes.write(buffer, 0, n);
                if (bytes.size() > MAX_BYTES)
                    throw tooLarge(url);
            }
            Charset charset = Charset.isSupported("windows-1252") ? Charset.forName("windows-1252")
                                                                   : Charset.forName("ISO-8859-1");
            return new String(bytes.toByteArray(), charset);
        } catch (NoSuchFileException e) {
            throw new Main.Failure(Main.EXIT_PAGE, "the page " + file + " does not exist");
        } catch (IOException e) {
            throw new Main.Failure(Main.EXIT_PAGE, "cannot read the page " + url + ": " + e);
        }
    }

    private static InputStream openFile(Path file) throws IOException, Main.Failure {
        // Checked before opening: opening a pipe waits for a writer.
        if (Files.isDirectory(file))
            throw new Main.Failure(Main.EXIT_PAGE, "the page " + file + " is a folder");
        if (Files.exists(file) && !Files.isRegularFile(file))
            throw new Main.Failure(Main.EXIT_PAGE, "the page " + file + " is no regular file (a pipe or a device)");
        if (Files.exists(file) && Files.size(file) > MAX_BYTES)
            throw tooLarge(file.toUri().toURL());
        return Files.newInputStream(file);
    }

    private static InputStream openURL(URL url) throws IOException {
        URLConnection connection = url.openConnection();
        connection.setConnectTimeout(timeoutMillis());
        connection.setReadTimeout(timeoutMillis());
        return connection.getInputStream();
    }

    private static Main.Failure tooLarge(URL url) {
        return new Main.Failure(Main.EXIT_PAGE, "the page " + url + " is larger than " + MAX_BYTES / (1024 * 1024) + " MB");
    }

    /** The file a file: URL names on this machine; null for other URLs. */
    private static Path localFile(URL url) {
        if (!url.getProtocol().equalsIgnoreCase("file"))
            return null;
        String host = url.getHost();
        if (host != null && !host.isEmpty() && !host.equalsIgnoreCase("localhost"))
            return null;
        try {
            return Paths.get(url.toURI());
        } catch (URISyntaxException | IllegalArgumentException e) {
            // Typed by hand, with blanks and the like left as they are.
            try {
                return Paths.get(url.getPath());
            } catch (InvalidPathException invalid) {
                return null;
            }
        }
    }
}
