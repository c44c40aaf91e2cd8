package zarn.viewer;

import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.IOException;
import java.net.URISyntaxException;
import java.net.URL;
import java.security.AccessController;
import java.security.Permission;
import java.security.Policy;
import java.security.PrivilegedAction;
import java.security.ProtectionDomain;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * Where the applets run. Untrusted, an applet may read its code base and nothing else: the Java
 * security manager enforces that where the runtime has one; otherwise the viewer runs again inside
 * a bubblewrap sandbox that sees the system read-only, the code base, no network and no home. A
 * document that trusts its applet runs it with the user's rights. Which one is in force is said on
 * stdout and in each window's status line before the applet starts.
 */
@SuppressWarnings({"deprecation", "removal"})
final class Sandbox {

    static final String BWRAP = "/usr/bin/bwrap";

    /** The viewer's own options, taken off the front of the arguments. */
    static final class Options {
        boolean trusted;
        boolean forceBwrap;
        boolean inBwrap;

        String[] take(String[] args) {
            List<String> rest = new ArrayList<String>();
            for (String arg : args) {
                if (arg.equals("--trusted"))
                    trusted = true;
                else if (arg.equals("--sandbox=bwrap"))
                    forceBwrap = true;
                else if (arg.equals("--in-bwrap"))
                    inBwrap = true;
                else
                    rest.add(arg);
            }
            return rest.toArray(new String[0]);
        }
    }

    private static volatile String summary = "No sandbox";

    /** What the status lines show. */
    static String summary() {
        return summary;
    }

    /**
     * Puts the sandbox in force for the applets of `loaders`, or runs the viewer again inside
     * bubblewrap and ends with its exit code. Returns once the applets may be made.
     */
    static void enter(Options options, URL page, List<AppletLoader> loaders, String[] args) {
        String reason = null;
        if (options.trusted)
            announce("No sandbox: the document trusts this applet (full access)");
        else if (options.inBwrap)
            announce("Sandbox: bubblewrap (the applet sees the system libraries and its code base read-only, no programs, no network, no home)");
        else if (options.forceBwrap || (reason = installSecurityManager()) != null) {
            String bwrapProblem = bwrapProblem();
            if (bwrapProblem == null)
                System.exit(runInBwrap(page, loaders, args));
            announce("No sandbox: " + (options.forceBwrap ? "" : reason + ", and ") + bwrapProblem
                     + "; the applet runs with all of the user's rights");
        } else
            announce("Sandbox: the Java security manager (the applet may read its code base only)");
    }

    /** For a viewer that takes page after page: the security manager or trust only, as bubblewrap would
     *  have to be set up again for each page's code base. Null when in force, else why not. */
    static String enterLive(Options options) {
        if (options.trusted) {
            announce("No sandbox: the document trusts this applet (full access)");
            return null;
        }
        String reason = options.forceBwrap || options.inBwrap ? "bubblewrap was asked for" : installSecurityManager();
        if (reason != null)
            return "live preview needs the Java security manager, and " + reason;
        announce("Sandbox: the Java security manager (the applet may read its code base only)");
        return null;
    }

    private static void announce(String text) {
        summary = text;
        System.out.println("zarn-viewer: " + text);
        System.out.flush();
    }

    /** Null when in force, else why not. */
    private static String installSecurityManager() {
        if (System.getSecurityManager() != null)
            return "a security manager of the runtime's own is in force";
        Policy.setPolicy(new Policy() {
            @Override
            public boolean implies(ProtectionDomain domain, Permission permission) {
                // The viewer and the runtime keep every right; applets have only their loader's.
                return !(domain.getClassLoader() instanceof AppletLoader);
            }
        });
        // Runtimes from 17 on print a deprecation notice here, on their own error stream.
        try {
            System.setSecurityManager(new SecurityManager());
            return null;
        } catch (UnsupportedOperationException | SecurityException e) {
            Policy.setPolicy(null);
            return "Java " + System.getProperty("java.version") + " has no security manager"
                + (isVersionWithAllow() ? " unless started with -Djava.security.manager=allow" : "");
        }
    }

    private static boolean isVersionWithAllow() {
        String version = System.getProperty("java.specification.version", "");
        try {
            int major = Integer.parseInt(version.startsWith("1.") ? version.substring(2) : version);
            return major >= 12 && major < 24;
        } catch (NumberFormatException e) {
            return false;
        }
    }

    private static String bwrapProblem() {
        if (!new File(BWRAP).canExecute())
            return "bubblewrap (" + BWRAP + ") is not installed";
        try {
            Process probe = new ProcessBuilder(BWRAP, "--ro-bind", "/", "/", "--unshare-all", "true")
                                .redirectErrorStream(true).start();
            ByteArrayOutputStream said = new ByteArrayOutputStream();
            byte[] buffer = new byte[1024];
            for (int n; (n = probe.getInputStream().read(buffer)) > 0;)
                said.write(buffer, 0, n);
            if (probe.waitFor() == 0)
                return null;
            return "bubblewrap cannot make a sandbox here (" + said.toString().trim() + ")";
        } catch (IOException e) {
            return "bubblewrap cannot be started (" + e.getMessage() + ")";
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            return "bubblewrap was interrupted";
        }
    }

    private static int runInBwrap(URL page, List<AppletLoader> loaders, String[] args) {
        List<String> command = new ArrayList<String>(Arrays.asList(BWRAP, "--unshare-all", "--die-with-parent",
            "--new-session", "--proc", "/proc", "--dev", "/dev", "--tmpfs", "/tmp", "--tmpfs", "/run"));
        // The libraries, fonts and settings, not the programs: an applet has nothing to start.
        for (String system : new String[] {"/usr/lib", "/usr/lib64", "/usr/lib32", "/usr/libx32", "/usr/share", "/etc",
                                           "/var/cache/fontconfig"})
            readOnly(command, new File(system));
        for (String top : new String[] {"/lib", "/lib64", "/lib32", "/libx32"}) {
            File link = new File(top);
            try {
                if (!link.exists())
                    continue;
                if (!link.getCanonicalPath().equals(link.getAbsolutePath()))
                    command.addAll(Arrays.asList("--symlink", link.getCanonicalPath(), top));
                else
                    readOnly(command, link);
            } catch (IOException e) {
                readOnly(command, link);
            }
        }
        File javaHome = new File(System.getProperty("java.home"));
        readOnly(command, javaHome);
        File jar = jarFile();
        readOnly(command, jar);
        File pageFile = AppletLoader.localFile(page);
        if (pageFile != null)
            readOnly(command, pageFile);
        for (AppletLoader loader : loaders)
            for (URL entry : loader.getURLs())
                if (AppletLoader.localFile(entry) != null)
                    readOnly(command, AppletLoader.localFile(entry));
        // The display, by its socket; the network stays unshared.
        readOnly(command, new File("/tmp/.X11-unix"));
        String authority = System.getenv("XAUTHORITY");
        if (authority == null && System.getenv("HOME") != null)
            authority = new File(System.getenv("HOME"), ".Xauthority").getPath();
        command.addAll(Arrays.asList("--clearenv", "--setenv", "HOME", "/tmp", "--setenv", "PATH", "/usr/lib/nowhere"));
        if (authority != null && new File(authority).isFile()) {
            readOnly(command, new File(authority));
            command.addAll(Arrays.asList("--setenv", "XAUTHORITY", new File(authority).getAbsolutePath()));
        }
        for (String name : new String[] {"DISPLAY", "LANG", "LC_ALL", "LC_CTYPE", "TZ"})
            if (System.getenv(name) != null)
                command.addAll(Arrays.asList("--setenv", name, System.getenv(name)));
        // Nothing the applet writes may outlive it or reach another program: no writable folder at all.
        command.addAll(Arrays.asList("--remount-ro", "/tmp"));
        command.addAll(Arrays.asList(new File(javaHome, "bin/java").getAbsolutePath(), "-XX:-UsePerfData", "-jar",
                                     jar.getAbsolutePath(), "--in-bwrap"));
        command.addAll(Arrays.asList(args));
        try {
            return new ProcessBuilder(command).inheritIO().start().waitFor();
        } catch (IOException e) {
            System.err.println("zarn-viewer: cannot start " + BWRAP + ": " + e.getMessage());
            return Main.EXIT_USAGE;
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            return Main.EXIT_USAGE;
        }
    }

    private static void readOnly(List<String> command, File file) {
        String path = file.getAbsolutePath();
        command.addAll(Arrays.asList("--ro-bind-try", path, path));
    }

    private static File jarFile() {
        try {
            return new File(Main.class.getProtectionDomain().getCodeSource().getLocation().toURI());
        } catch (URISyntaxException e) {
            throw new IllegalStateException(e);
        }
    }

    /** Runs what the viewer does for an applet (an image, a sound) with the viewer's rights when
     *  `url` is in its code base or named by its page; anything else keeps the applet's own rights. */
    static <T> T forApplet(Object applet, URL url, Iterable<String> named, URL[] bases, PrivilegedAction<T> action) {
        ClassLoader loader = applet.getClass().getClassLoader();
        if (url != null && loader instanceof AppletLoader && ((AppletLoader) loader).mayRead(url, named, bases))
            return AccessController.doPrivileged(action);
        return action.run();
    }

    /** The viewer ends itself with its own rights, whoever closed the last window. */
    static void exit(int code) {
        AccessController.doPrivileged((PrivilegedAction<Void>) () -> {
            System.exit(code);
            return null;
        });
    }

    private Sandbox() {}
}
