# Debian package (CPack DEB).
