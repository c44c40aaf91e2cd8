package zarn.viewer;

import java.io.File;
import java.io.FilePermission;
import java.net.SocketPermission;
import java.net.URISyntaxException;
import java.net.URL;
import java.net.URLClassLoader;
import java.security.CodeSource;
import java.security.PermissionCollection;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.PropertyPermission;

/** The class loader of one applet. Its classes get the rights of an untrusted applet only: read its
 *  code base and archives, connect back to the host they came from, read the harmless properties. The
 *  sandbox's policy gives them nothing more. */
final class AppletLoader extends URLClassLoader {

    // What any applet could always read.
    private static final String[] PUBLIC_PROPERTIES = {
        "java.version", "java.vendor", "java.vendor.url", "java.class.version", "os.name", "os.version",
        "os.arch", "file.separator", "path.separator", "line.separator", "java.specification.version",
        "java.specification.vendor", "java.specification.name", "java.vm.specification.version",
        "java.vm.specification.vendor", "java.vm.specification.name", "java.vm.version", "java.vm.vendor",
        "java.vm.name", "browser", "browser.version", "browser.vendor"};

    private final URL codeBase;

    AppletLoader(URL[] path, URL codeBase, ClassLoader parent) {
        super(path, parent);
        this.codeBase = codeBase;
    }

    /** Why the path may not be loaded untrusted, or null: only local code runs without trust. */
    static String refusal(URL[] path) {
        for (URL url : path)
            if (!"file".equalsIgnoreCase(url.getProtocol()))
                return url + " is not local: only a document that trusts its applet loads code from the network";
        return null;
    }

    /** The local folder or file a "file:" URL names; null for anything else. */
    static File localFile(URL url) {
        if (!"file".equalsIgnoreCase(url.getProtocol()))
            return null;
        try {
            return new File(url.toURI());
        } catch (URISyntaxException | IllegalArgumentException e) {
            return new File(url.getPath());
        }
    }

    /** Whether the applet may read `url`: it lies in its code base or is one of its archives, or the
     *  page itself names it in one of `named` (PARAM values, or an item of a list in one) against one
     *  of `bases`, as a page may show any picture it names. */
    boolean mayRead(URL url, Iterable<String> named, URL... bases) {
        if (mayRead(url))
            return true;
        File file = localFile(url);
        if (file == null)
            return false;
        String path = canonical(file);
        List<String> names = new ArrayList<String>();
        for (String value : named) {
            names.add(value);
            // Lists of pictures in one value, as applets took them.
            names.addAll(Arrays.asList(value.split("[|,;]")));
        }
        for (String value : names)
            for (URL base : bases) {
                try {
                    File candidate = value == null || base == null ? null : localFile(new URL(base, value.trim()));
                    if (path != null && candidate != null && path.equals(canonical(candidate)))
                        return true;
                } catch (java.net.MalformedURLException e) {
                    // A value that is no file name names nothing.
                }
            }
        return false;
    }

    private static String canonical(File file) {
        try {
            return file.getCanonicalPath();
        } catch (java.io.IOException e) {
            return null;
        }
    }

    private boolean mayRead(URL url) {
        File file = localFile(url);
        if (file == null) {
            URL base = codeBase;
            return base.getHost().equalsIgnoreCase(url.getHost()) && base.getProtocol().equalsIgnoreCase(url.getProtocol())
                && base.getPort() == url.getPort();
        }
        try {
            String path = file.getCanonicalPath();
            for (URL entry : getURLs()) {
                File allowed = localFile(entry);
                if (allowed == null)
                    continue;
                String root = allowed.getCanonicalPath();
                if (path.equals(root) || path.startsWith(root.endsWith(File.separator) ? root : root + File.separator))
                    return true;
            }
        } catch (java.io.IOException e) {
            return false;
        }
        return false;
    }

    @Override
    protected PermissionCollection getPermissions(CodeSource source) {
        PermissionCollection permissions = super.getPermissions(source);
        // Every class of the applet, from an archive too, reads its code base and archives.
        for (URL entry : getURLs()) {
            File file = localFile(entry);
            if (file != null) {
                String path = file.getAbsolutePath();
                permissions.add(new FilePermission(path, "read"));
                if (entry.getPath().endsWith("/"))
                    permissions.add(new FilePermission(path + File.separator + "-", "read"));
            } else if (!entry.getHost().isEmpty()) {
                permissions.add(new SocketPermission(entry.getHost(), "connect,accept"));
            }
        }
        for (String name : PUBLIC_PROPERTIES)
            permissions.add(new PropertyPermission(name, "read"));
        return permissions;
    }
}
