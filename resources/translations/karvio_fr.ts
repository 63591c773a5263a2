<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>Attributes</name>
    <message>
        <source>directory</source>
        <translation>répertoire</translation>
    </message>
    <message>
        <source>hidden</source>
        <translation>caché</translation>
    </message>
    <message>
        <source>readonly</source>
        <translation>lecture seule</translation>
    </message>
    <message>
        <source>system</source>
        <translation>système</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>archive</translation>
    </message>
</context>
<context>
    <name>DetailsText</name>
    <message>
        <source>Camera</source>
        <translation>Appareil photo</translation>
    </message>
    <message>
        <source>Taken</source>
        <translation>Prise le</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Artiste</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>Dimensions</source>
        <translation>Dimensions</translation>
    </message>
    <message>
        <source>Codecs</source>
        <translation>Codecs</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>%1 members listed (not all)</source>
        <translation>%1 éléments listés (pas tous)</translation>
    </message>
    <message>
        <source>%1 members</source>
        <translation>%1 éléments</translation>
    </message>
    <message>
        <source>Not read</source>
        <translation>Non lu</translation>
    </message>
    <message>
        <source>Content hash</source>
        <translation>Empreinte du contenu</translation>
    </message>
</context>
<context>
    <name>EmptyHint</name>
    <message>
        <source>The catalogue holds no disc yet.
To add your first disc or folder, choose CD &gt; Add, or the first button of the toolbar.</source>
        <translation>Le catalogue ne contient encore aucun disque.
Pour ajouter votre premier disque ou dossier, choisissez CD &gt; Ajouter, ou le premier bouton de la barre d&apos;outils.</translation>
    </message>
</context>
<context>
    <name>ItemLocation</name>
    <message>
        <source>Path: %1    Disc: %2</source>
        <translation>Chemin : %1    Disque : %2</translation>
    </message>
</context>
<context>
    <name>LaunchFile</name>
    <message>
        <source>Disc: %1</source>
        <translation>Disque : %1</translation>
    </message>
    <message>
        <source>Label: %1</source>
        <translation>Étiquette : %1</translation>
    </message>
    <message>
        <source>Looking for: %1</source>
        <translation>Recherché : %1</translation>
    </message>
    <message>
        <source>this is %1, not %2</source>
        <translation>ceci est %1, et non %2</translation>
    </message>
</context>
<context>
    <name>ListExport</name>
    <message>
        <source>CSV (*.csv)</source>
        <translation>CSV (*.csv)</translation>
    </message>
    <message>
        <source>JSON (*.json)</source>
        <translation>JSON (*.json)</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <source>list</source>
        <translation>liste</translation>
    </message>
    <message>
        <source>The list could not be exported: %1</source>
        <translation>La liste n&apos;a pas pu être exportée : %1</translation>
    </message>
</context>
<context>
    <name>MaintenanceCommands</name>
    <message>
        <source>Backup</source>
        <translation>Sauvegarde</translation>
    </message>
    <message>
        <source>Karvio Data File (*.cd)</source>
        <translation>Fichier de données Karvio (*.cd)</translation>
    </message>
    <message>
        <source>A salvage copies what can be read.</source>
        <translation>Une récupération copie ce qui peut être lu.</translation>
    </message>
    <message>
        <source>A salvage copies what can be read and leaves out %1.</source>
        <translation>Une récupération copie ce qui peut être lu et laisse de côté %1.</translation>
    </message>
    <message>
        <source>Salvage what can be read?</source>
        <translation>Récupérer ce qui peut être lu ?</translation>
    </message>
    <message>
        <source>The data file %1 is damaged, so it was not backed up; nothing was changed.</source>
        <translation>Le fichier de données %1 est endommagé, il n&apos;a donc pas été sauvegardé ; rien n&apos;a été modifié.</translation>
    </message>
    <message>
        <source>The data file stays as it is; the salvaged copy is written only to a new file.</source>
        <translation>Le fichier de données reste tel quel ; la copie récupérée est écrite uniquement dans un nouveau fichier.</translation>
    </message>
    <message>
        <source>The backup was written, but %1</source>
        <translation>La sauvegarde a été écrite, mais %1</translation>
    </message>
    <message>
        <source>The data file was compacted, but %1</source>
        <translation>Le fichier de données a été compacté, mais %1</translation>
    </message>
    <message>
        <source>What could be read was salvaged. The damaged file is kept as %1</source>
        <translation>Ce qui pouvait être lu a été récupéré. Le fichier endommagé est conservé sous %1</translation>
    </message>
    <message>
        <source>The data file %1 is damaged, so it was not compacted; nothing was changed.</source>
        <translation>Le fichier de données %1 est endommagé, il n&apos;a donc pas été compacté ; rien n&apos;a été modifié.</translation>
    </message>
    <message>
        <source>The damaged file is kept beside it under a new dated name, and the .bak copy stays as it is.</source>
        <translation>Le fichier endommagé est conservé à côté sous un nouveau nom daté, et la copie .bak reste telle quelle.</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>You can only edit a cd or a folder from this option</source>
        <translation>Cette commande ne permet de modifier qu&apos;un CD ou un dossier</translation>
    </message>
    <message>
        <source>You can only rescan a cd or a folder from this option</source>
        <translation>Cette commande ne permet de réanalyser qu&apos;un CD ou un dossier</translation>
    </message>
    <message>
        <source>Only CDs, Folders or Subdirectories can be previewed</source>
        <translation>Seuls les CD, les dossiers et les sous-répertoires ont un aperçu</translation>
    </message>
    <message>
        <source>Drag &amp;&amp; Drop is only avaiable for the containers, and not the individual files or directories</source>
        <translation>Le glisser-déposer n&apos;est possible que pour les conteneurs, pas pour les fichiers ou répertoires individuels</translation>
    </message>
    <message>
        <source>You can only edit container names, cd names, folder names or the data name</source>
        <translation>Seuls les noms des conteneurs, des CD, des dossiers ou le nom des données peuvent être modifiés</translation>
    </message>
    <message>
        <source>You can only delete either a Category or a Folder Container</source>
        <translation>Seule une catégorie ou un conteneur de dossier peut être supprimé</translation>
    </message>
    <message>
        <source>Remove category</source>
        <translation>Supprimer la catégorie</translation>
    </message>
    <message>
        <source>You have to select something to delete</source>
        <translation>Sélectionnez d&apos;abord ce qu&apos;il faut supprimer</translation>
    </message>
    <message>
        <source>You can only move a CD or folder between categories</source>
        <translation>Seuls les CD et les dossiers peuvent être déplacés entre catégories</translation>
    </message>
    <message>
        <source>Drag &amp;&amp; Drop is only avaiable for the categories</source>
        <translation>Le glisser-déposer n&apos;est possible que pour les catégories</translation>
    </message>
    <message>
        <source>Root Properties Cannot Be Edited</source>
        <translation>Les propriétés de la racine ne peuvent pas être modifiées</translation>
    </message>
    <message>
        <source>Cancel Data Backup</source>
        <translation>Annuler la sauvegarde des données</translation>
    </message>
    <message>
        <source>Cancel Data Compaction</source>
        <translation>Annuler le compactage des données</translation>
    </message>
    <message>
        <source>The backup could not be written; nothing was changed.</source>
        <translation>La sauvegarde n&apos;a pas pu être écrite ; rien n&apos;a été modifié.</translation>
    </message>
    <message>
        <source>The data file could not be compacted; it is unchanged.</source>
        <translation>Le fichier de données n&apos;a pas pu être compacté ; il est inchangé.</translation>
    </message>
    <message>
        <source>What you typed is on the clipboard, to be applied again.</source>
        <translation>Votre saisie est dans le presse-papiers, prête à être appliquée de nouveau.</translation>
    </message>
    <message>
        <source>The change cannot be saved: %1</source>
        <translation>La modification ne peut pas être enregistrée : %1</translation>
    </message>
    <message>
        <source>A node can&apos;t be made a child of its own children.</source>
        <translation>Un nœud ne peut pas devenir l&apos;enfant de ses propres enfants.</translation>
    </message>
    <message>
        <source>Cannot delete category because it contains children!! remove all children and try again</source>
        <translation>Impossible de supprimer la catégorie car elle contient des éléments ! Supprimez tous ses éléments et réessayez</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Please Select !!</source>
        <translation>Veuillez choisir !</translation>
    </message>
    <message>
        <source>This result no longer matches the catalogue: the entry was changed or removed since it was found. Please type the search again.</source>
        <translation>Ce résultat ne correspond plus au catalogue : l&apos;entrée a été modifiée ou supprimée depuis qu&apos;elle a été trouvée. Veuillez saisir la recherche de nouveau.</translation>
    </message>
    <message>
        <source>The report page could not be written.</source>
        <translation>La page du rapport n&apos;a pas pu être écrite.</translation>
    </message>
    <message>
        <source>The medium was removed during the scan; the catalogue is as it was before the scan</source>
        <translation>Le support a été retiré pendant l&apos;analyse ; le catalogue est tel qu&apos;il était avant l&apos;analyse</translation>
    </message>
    <message>
        <source>No CD Found to Scan or CD Not Ready</source>
        <translation>Aucun CD à analyser ou CD non prêt</translation>
    </message>
    <message>
        <source>Nothing Entered To Search For</source>
        <translation>Aucun texte à rechercher n&apos;a été saisi</translation>
    </message>
    <message>
        <source>You have to select something to search for</source>
        <translation>Choisissez dans quoi rechercher</translation>
    </message>
    <message>
        <source>This result no longer matches the catalogue: the entry was changed or removed since the search. Please search again.</source>
        <translation>Ce résultat ne correspond plus au catalogue : l&apos;entrée a été modifiée ou supprimée depuis la recherche. Veuillez relancer la recherche.</translation>
    </message>
    <message>
        <source>Insert CD Labeld</source>
        <translation>Insérez le CD intitulé</translation>
    </message>
    <message>
        <source>Wrong Media or</source>
        <translation>Mauvais support ou</translation>
    </message>
    <message>
        <source>File Does Not Exist !!</source>
        <translation>fichier inexistant !</translation>
    </message>
    <message>
        <source>Unknown File Type</source>
        <translation>Type de fichier inconnu</translation>
    </message>
    <message>
        <source>Or No File Association found</source>
        <translation>ou aucune application associée trouvée</translation>
    </message>
    <message>
        <source>Are You Sure You Want To Cancel !!</source>
        <translation>Voulez-vous vraiment annuler ?</translation>
    </message>
    <message>
        <source>Compact Data Files ??</source>
        <translation>Compacter les fichiers de données ?</translation>
    </message>
    <message>
        <source>nothing was changed</source>
        <translation>rien n&apos;a été modifié</translation>
    </message>
    <message>
        <source>the record is not in the catalogue any more (another program changed it); nothing was changed</source>
        <translation>l&apos;enregistrement n&apos;est plus dans le catalogue (un autre programme l&apos;a modifié) ; rien n&apos;a été modifié</translation>
    </message>
    <message>
        <source>the category has sub-categories; remove or move them first</source>
        <translation>la catégorie a des sous-catégories ; supprimez-les ou déplacez-les d&apos;abord</translation>
    </message>
    <message>
        <source>the category holds CDs; remove them or file them elsewhere first</source>
        <translation>la catégorie contient des CD ; supprimez-les ou classez-les d&apos;abord ailleurs</translation>
    </message>
    <message>
        <source>a category cannot be moved under itself or one of its own sub-categories</source>
        <translation>une catégorie ne peut pas être déplacée sous elle-même ni sous l&apos;une de ses sous-catégories</translation>
    </message>
    <message>
        <source>no such category</source>
        <translation>cette catégorie n&apos;existe pas</translation>
    </message>
    <message>
        <source>Remove Cd</source>
        <translation>Supprimer le CD</translation>
    </message>
    <message>
        <source>CD removed</source>
        <translation>CD supprimé</translation>
    </message>
    <message>
        <source>The catalogue was changed by another program, so this change was not saved.</source>
        <translation>Le catalogue a été modifié par un autre programme, cette modification n&apos;a donc pas été enregistrée.</translation>
    </message>
    <message>
        <source>the catalogue is being changed by another program</source>
        <translation>le catalogue est en cours de modification par un autre programme</translation>
    </message>
    <message>
        <source>the catalogue is read-only and cannot be changed</source>
        <translation>le catalogue est en lecture seule et ne peut pas être modifié</translation>
    </message>
    <message>
        <source>the catalogue would grow past 2 GiB, the limit of its format; compact it or start another catalogue</source>
        <translation>le catalogue dépasserait 2 Gio, la limite de son format ; compactez-le ou commencez un autre catalogue</translation>
    </message>
    <message>
        <source>Cannot backup to the current data file!!</source>
        <translation>Impossible de sauvegarder dans le fichier de données actuel !</translation>
    </message>
    <message>
        <source>another program replaced the catalogue (compacted it); it must be loaded again</source>
        <translation>un autre programme a remplacé le catalogue (l&apos;a compacté) ; il doit être rechargé</translation>
    </message>
    <message>
        <source>the catalogue cannot be locked for writing</source>
        <translation>le catalogue ne peut pas être verrouillé en écriture</translation>
    </message>
    <message>
        <source>Error!!</source>
        <translation>Erreur !</translation>
    </message>
    <message>
        <source>Wrong Version of the Data File</source>
        <translation>Mauvaise version du fichier de données</translation>
    </message>
    <message>
        <source>Can&apos;t Use newer version data</source>
        <translation>Impossible d&apos;utiliser les données d&apos;une version plus récente</translation>
    </message>
    <message>
        <source>Data File Error (1001) !!! Please Start Karvio Again. If the error persist, then use your data backup</source>
        <translation>Erreur du fichier de données (1001) ! Veuillez redémarrer Karvio. Si l&apos;erreur persiste, utilisez votre sauvegarde des données</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abandonner</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Réessayer</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Oui</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Unknown Error!!! Exiting</source>
        <translation>Erreur inconnue ! Fermeture du programme</translation>
    </message>
    <message>
        <source>The CD cannot be added: %1</source>
        <translation>Le CD ne peut pas être ajouté : %1</translation>
    </message>
    <message>
        <source>The CD was not added: %1</source>
        <translation>Le CD n&apos;a pas été ajouté : %1</translation>
    </message>
    <message>
        <source>%1 The CD was not rescanned.</source>
        <translation>%1 Le CD n&apos;a pas été réanalysé.</translation>
    </message>
    <message>
        <source>The CD was catalogued, but its details were not saved: %1</source>
        <translation>Le CD a été catalogué, mais ses détails n&apos;ont pas été enregistrés : %1</translation>
    </message>
    <message>
        <source>the change cannot be saved: %1</source>
        <translation>la modification ne peut pas être enregistrée : %1</translation>
    </message>
    <message>
        <source>File Read Error!! Error %1</source>
        <translation>Erreur de lecture du fichier ! Erreur %1</translation>
    </message>
    <message>
        <source>File Write Error!! Error %1</source>
        <translation>Erreur d&apos;écriture du fichier ! Erreur %1</translation>
    </message>
    <message>
        <source>This file no longer matches the catalogue: it was changed or removed since the duplicates were found. Please find them again.</source>
        <translation>Ce fichier ne correspond plus au catalogue : il a été modifié ou supprimé depuis la recherche des doublons. Veuillez les rechercher à nouveau.</translation>
    </message>
    <message>
        <source>Select the CD to verify first.</source>
        <translation>Sélectionnez d&apos;abord le CD à vérifier.</translation>
    </message>
    <message>
        <source>There is no list to export here: select a disc in the catalogue, or show search results, duplicates, a comparison or a verification.</source>
        <translation>Il n&apos;y a pas de liste à exporter ici : sélectionnez un disque dans le catalogue, ou affichez des résultats de recherche, des doublons, une comparaison ou une vérification.</translation>
    </message>
</context>
<context>
    <name>PreviewCommand</name>
    <message>
        <source>The report page cannot be written: the folder %1 cannot be written to.</source>
        <translation>La page du rapport ne peut pas être écrite : impossible d&apos;écrire dans le dossier %1.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Mounted now at %1</source>
        <translation>Monté actuellement sur %1</translation>
    </message>
    <message>
        <source>Not recorded (the CD was scanned before volumes were recorded)</source>
        <translation>Non enregistré (le CD a été analysé avant l&apos;enregistrement des volumes)</translation>
    </message>
    <message>
        <source><byte value="xd"/>
UUID %1</source>
        <translation><byte value="xd"/>
UUID %1</translation>
    </message>
    <message>
        <source><byte value="xd"/>
Folder on the volume: /%1</source>
        <translation><byte value="xd"/>
Dossier sur le volume : /%1</translation>
    </message>
    <message>
        <source>Not mounted now</source>
        <translation>Non monté actuellement</translation>
    </message>
</context>
<context>
    <name>SizeText</name>
    <message>
        <source>%1 byte</source>
        <translation>%1 octet</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 octets</translation>
    </message>
    <message>
        <source>KB</source>
        <translation>Ko</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>Mo</translation>
    </message>
    <message>
        <source>GB</source>
        <translation>Go</translation>
    </message>
    <message>
        <source>TB</source>
        <translation>To</translation>
    </message>
    <message>
        <source>PB</source>
        <translation>Po</translation>
    </message>
    <message>
        <source>EB</source>
        <translation>Eo</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>An Error Has Occured !! Quitting !!
Error code : %1 %2</source>
        <translation>Une erreur s&apos;est produite ! Fermeture du programme !
Code d&apos;erreur : %1 %2</translation>
    </message>
    <message>
        <source>The catalogue %1 cannot be opened: %2.</source>
        <translation>Le catalogue %1 ne peut pas être ouvert : %2.</translation>
    </message>
</context>
<context>
    <name>frmBrowseCD</name>
    <message>
        <source>Removable</source>
        <translation>Amovible</translation>
    </message>
    <message>
        <source>Fixed disk</source>
        <translation>Disque fixe</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Réseau</translation>
    </message>
    <message>
        <source>CD-ROM</source>
        <translation>CD-ROM</translation>
    </message>
    <message>
        <source>RAM disk</source>
        <translation>Disque RAM</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Inconnu</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Catalogue of your CDs, DVDs, drives and folders</source>
        <translation>Catalogue de vos CD, DVD, lecteurs et dossiers</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>frmTip</name>
    <message>
        <source>That the %1 file was not found? 

Create a text file named %1 using NotePad with 1 tip per line. Then place it in the same directory as the application. </source>
        <translation>que le fichier %1 est introuvable ? 

Créez avec un éditeur de texte un fichier texte nommé %1, avec une astuce par ligne. Placez-le ensuite dans le répertoire du programme. </translation>
    </message>
</context>
<context>
    <name>karvio::BusyScope</name>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Arrêt en cours...</translation>
    </message>
</context>
<context>
    <name>karvio::ContentsListModel</name>
    <message>
        <source>Category</source>
        <translation>Catégorie</translation>
    </message>
    <message>
        <source>CD</source>
        <translation>CD</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Attr</source>
        <translation>Attr.</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>Taken</source>
        <translation>Prise le</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Appareil photo</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Artiste</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>Dimensions</source>
        <translation>Dimensions</translation>
    </message>
</context>
<context>
    <name>karvio::DuplicatesModel</name>
    <message>
        <source>1 disc</source>
        <translation>1 disque</translation>
    </message>
    <message>
        <source>%1 discs</source>
        <translation>%1 disques</translation>
    </message>
    <message>
        <source>%1 in all; %2 would be freed by keeping one copy</source>
        <translation>%1 en tout ; garder une seule copie libérerait %2</translation>
    </message>
    <message>
        <source>Content hash %1</source>
        <translation>Empreinte du contenu %1</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Copies</source>
        <translation>Copies</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Espace</translation>
    </message>
    <message>
        <source>Disc</source>
        <translation>Disque</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Catégorie</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Chemin</translation>
    </message>
</context>
<context>
    <name>karvio::QuickFindBox</name>
    <message>
        <source>Find (Ctrl+K)</source>
        <translation>Trouver (Ctrl+K)</translation>
    </message>
    <message>
        <source>Fi&amp;nd:</source>
        <translation>Trou&amp;ver :</translation>
    </message>
    <message>
        <source>Quick find</source>
        <translation>Recherche rapide</translation>
    </message>
    <message>
        <source>Words match in any order; &quot;an exact phrase&quot;; filters kind:file,dir,cd ext:jpg size:&gt;10M date:2019 or date:2015..2019; inside files artist: album: title: camera: taken:2019 duration:&gt;3m width:&gt;3000 in:archive</source>
        <translation>Les mots correspondent dans n&apos;importe quel ordre ; &quot;une expression exacte&quot; ; filtres kind:file,dir,cd ext:jpg size:&gt;10M date:2019 ou date:2015..2019 ; dans les fichiers artist: album: title: camera: taken:2019 duration:&gt;3m width:&gt;3000 in:archive</translation>
    </message>
    <message>
        <source>Quick find match</source>
        <translation>Correspondance de la recherche rapide</translation>
    </message>
    <message>
        <source>Anywhere</source>
        <translation>N&apos;importe où</translation>
    </message>
    <message>
        <source>Beginning</source>
        <translation>Au début</translation>
    </message>
    <message>
        <source>Whole name</source>
        <translation>Nom entier</translation>
    </message>
    <message>
        <source>Where a word must match the name</source>
        <translation>Où un mot doit correspondre au nom</translation>
    </message>
    <message>
        <source>Reading the catalogue...</source>
        <translation>Lecture du catalogue...</translation>
    </message>
    <message>
        <source>Nothing found</source>
        <translation>Aucun résultat</translation>
    </message>
    <message>
        <source>Searching...</source>
        <translation>Recherche en cours...</translation>
    </message>
    <message>
        <source>%1 found so far...</source>
        <translation>%1 trouvés jusqu&apos;ici...</translation>
    </message>
    <message>
        <source>%1 found, the first %2 shown: type more to narrow</source>
        <translation>%1 trouvés, les %2 premiers affichés : précisez la saisie pour affiner</translation>
    </message>
    <message>
        <source>1 found</source>
        <translation>1 trouvé</translation>
    </message>
    <message>
        <source>%1 found</source>
        <translation>%1 trouvés</translation>
    </message>
    <message>
        <source> (reading the changed catalogue)</source>
        <translation> (lecture du catalogue modifié)</translation>
    </message>
    <message>
        <source>&amp;Show in List</source>
        <translation>Afficher dans la &amp;liste</translation>
    </message>
    <message>
        <source>&amp;Launch</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Propriétés</translation>
    </message>
</context>
<context>
    <name>karvio::QuickFindPopup</name>
    <message>
        <source>Quick find count</source>
        <translation>Nombre de résultats de la recherche rapide</translation>
    </message>
    <message>
        <source>Quick find results</source>
        <translation>Résultats de la recherche rapide</translation>
    </message>
</context>
<context>
    <name>karvio::SearchResultsModel</name>
    <message>
        <source>FileName</source>
        <translation>Nom du fichier</translation>
    </message>
    <message>
        <source>CD Name</source>
        <translation>Nom du CD</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Chemin</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Attributes</source>
        <translation>Attributs</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
</context>
<context>
    <name>karvio::ctlFolderBrowser</name>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>The drive or folder; Alt+Down chooses one</source>
        <translation>Le lecteur ou le dossier ; Alt+Bas permet d&apos;en choisir un</translation>
    </message>
    <message>
        <source>Browse for a folder</source>
        <translation>Parcourir pour choisir un dossier</translation>
    </message>
    <message>
        <source>Choose a folder (Alt+Down)</source>
        <translation>Choisir un dossier (Alt+Bas)</translation>
    </message>
    <message>
        <source>Select a folder</source>
        <translation>Choisir un dossier</translation>
    </message>
</context>
<context>
    <name>karvio::ctlIconLabel</name>
    <message>
        <source>Category</source>
        <translation>Catégorie</translation>
    </message>
    <message>
        <source>Choose a category</source>
        <translation>Choisir une catégorie</translation>
    </message>
</context>
<context>
    <name>karvio::frmAbout</name>
    <message>
        <source>About Karvio</source>
        <translation>À propos de Karvio</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Catalogues CDs, DVDs, USB drives and folders, so every file can be found, annotated and opened without the disc at hand.</source>
        <translation>Catalogue les CD, DVD, clés USB et dossiers, pour que chaque fichier puisse être trouvé, annoté et ouvert sans avoir le disque sous la main.</translation>
    </message>
    <message>
        <source>User guide</source>
        <translation>Guide de l&apos;utilisateur</translation>
    </message>
    <message>
        <source>Folder of the data file</source>
        <translation>Dossier du fichier de données</translation>
    </message>
    <message>
        <source>&amp;System Info...</source>
        <translation>Informations &amp;système...</translation>
    </message>
    <message>
        <source>System Information</source>
        <translation>Informations système</translation>
    </message>
</context>
<context>
    <name>karvio::frmAnimation</name>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Processing Directories !! Please Wait</source>
        <translation>Traitement des répertoires ! Veuillez patienter</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progression</translation>
    </message>
    <message>
        <source>Starting...</source>
        <translation>Démarrage...</translation>
    </message>
    <message>
        <source>The CD was catalogued, but 1 folder or file could not be read; what it holds is missing from the catalogue:</source>
        <translation>Le CD a été catalogué, mais 1 dossier ou fichier n&apos;a pas pu être lu ; son contenu manque dans le catalogue :</translation>
    </message>
    <message>
        <source>The CD was catalogued, but %1 folders or files could not be read; what they hold is missing from the catalogue:</source>
        <translation>Le CD a été catalogué, mais %1 dossiers ou fichiers n&apos;ont pas pu être lus ; leur contenu manque dans le catalogue :</translation>
    </message>
    <message>
        <source>... and %1 more</source>
        <translation>... et %1 de plus</translation>
    </message>
    <message>
        <source>%1 directories, %2 files</source>
        <translation>%1 répertoires, %2 fichiers</translation>
    </message>
</context>
<context>
    <name>karvio::frmAnimation2</name>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Backing Up Data Files</source>
        <translation>Sauvegarde des fichiers de données</translation>
    </message>
    <message>
        <source>Compacting Data Files</source>
        <translation>Compactage des fichiers de données</translation>
    </message>
    <message>
        <source>Animation</source>
        <translation>Animation</translation>
    </message>
    <message>
        <source>The CD being copied</source>
        <translation>Le CD en cours de copie</translation>
    </message>
    <message>
        <source>Records copied</source>
        <translation>Enregistrements copiés</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Directories and files copied: %1</source>
        <translation>Répertoires et fichiers copiés : %1</translation>
    </message>
</context>
<context>
    <name>karvio::frmBrowse2</name>
    <message>
        <source>Explorer</source>
        <translation>Explorateur</translation>
    </message>
    <message>
        <source>Catalogue tree</source>
        <translation>Arborescence du catalogue</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Contenu</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>&amp;Taille</translation>
    </message>
    <message>
        <source>&amp;Date</source>
        <translation>&amp;Date</translation>
    </message>
    <message>
        <source>A&amp;ttr</source>
        <translation>&amp;Attr.</translation>
    </message>
    <message>
        <source>&amp;Notes</source>
        <translation>&amp;Notes</translation>
    </message>
    <message>
        <source>Ta&amp;ken</source>
        <translation>&amp;Prise le</translation>
    </message>
    <message>
        <source>&amp;Camera</source>
        <translation>Appareil p&amp;hoto</translation>
    </message>
    <message>
        <source>A&amp;rtist</source>
        <translation>A&amp;rtiste</translation>
    </message>
    <message>
        <source>Al&amp;bum</source>
        <translation>Al&amp;bum</translation>
    </message>
    <message>
        <source>T&amp;itle</source>
        <translation>T&amp;itre</translation>
    </message>
    <message>
        <source>D&amp;uration</source>
        <translation>D&amp;urée</translation>
    </message>
    <message>
        <source>Di&amp;mensions</source>
        <translation>Di&amp;mensions</translation>
    </message>
</context>
<context>
    <name>karvio::frmBrowseCD</name>
    <message>
        <source>CD Panel</source>
        <translation>Panneau des CD</translation>
    </message>
    <message>
        <source>CD panel</source>
        <translation>Panneau des CD</translation>
    </message>
    <message>
        <source>CD Title</source>
        <translation>Titre du CD</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>Scan Date</source>
        <translation>Date d&apos;analyse</translation>
    </message>
    <message>
        <source>Total Size</source>
        <translation>Taille totale</translation>
    </message>
    <message>
        <source>Free Space</source>
        <translation>Espace libre</translation>
    </message>
    <message>
        <source>System Label</source>
        <translation>Nom de volume</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Catégorie</translation>
    </message>
    <message>
        <source>Base Path</source>
        <translation>Chemin de base</translation>
    </message>
    <message>
        <source>Media Type</source>
        <translation>Type de support</translation>
    </message>
    <message>
        <source>CD list</source>
        <translation>Liste des CD</translation>
    </message>
    <message>
        <source>CD tree</source>
        <translation>Arborescence du CD</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Nom :</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Taille :</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Date :</translation>
    </message>
    <message>
        <source>Attributes:</source>
        <translation>Attributs :</translation>
    </message>
    <message>
        <source>&amp;Notes:</source>
        <translation>&amp;Notes :</translation>
    </message>
</context>
<context>
    <name>karvio::frmCategoryProperties</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Category Properties</source>
        <translation>Propriétés de la catégorie</translation>
    </message>
    <message>
        <source>Category Name</source>
        <translation>Nom de la catégorie</translation>
    </message>
    <message>
        <source>Category &amp;Icon</source>
        <translation>&amp;Icône de la catégorie</translation>
    </message>
    <message>
        <source>Previous picture</source>
        <translation>Image précédente</translation>
    </message>
    <message>
        <source>Next picture</source>
        <translation>Image suivante</translation>
    </message>
    <message>
        <source>Category picture</source>
        <translation>Image de la catégorie</translation>
    </message>
    <message>
        <source>Category &amp;Notes</source>
        <translation>&amp;Notes de la catégorie</translation>
    </message>
    <message>
        <source>Category Notes</source>
        <translation>Notes de la catégorie</translation>
    </message>
    <message>
        <source>Picture %1</source>
        <translation>Image %1</translation>
    </message>
</context>
<context>
    <name>karvio::frmCategorySelect</name>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Ajouter</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>Re&amp;name</source>
        <translation>Re&amp;nommer</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Propriétés</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Select a category</source>
        <translation>Choisir une catégorie</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>Catégories</translation>
    </message>
    <message>
        <source>Cannot delete category [%1] because it contains children!! remove all children and try again</source>
        <translation>Impossible de supprimer la catégorie [%1] car elle contient des éléments ! Supprimez tous ses éléments et réessayez</translation>
    </message>
    <message>
        <source>Cannot delete root node!! remove all children and try again</source>
        <translation>Impossible de supprimer la racine ! Supprimez tous ses éléments et réessayez</translation>
    </message>
    <message>
        <source>Cannot delete category [%1] because it contains CDs!! move or remove its CDs and try again</source>
        <translation>Impossible de supprimer la catégorie [%1] car elle contient des CD ! Déplacez ou supprimez ses CD et réessayez</translation>
    </message>
</context>
<context>
    <name>karvio::frmCompare</name>
    <message>
        <source>Path</source>
        <translation>Chemin</translation>
    </message>
    <message>
        <source>What changed</source>
        <translation>Ce qui a changé</translation>
    </message>
    <message>
        <source>Size in the first</source>
        <translation>Taille dans le premier</translation>
    </message>
    <message>
        <source>Date in the first</source>
        <translation>Date dans le premier</translation>
    </message>
    <message>
        <source>Size in the second</source>
        <translation>Taille dans le second</translation>
    </message>
    <message>
        <source>Date in the second</source>
        <translation>Date dans le second</translation>
    </message>
    <message>
        <source>file or folder</source>
        <translation>fichier ou dossier</translation>
    </message>
    <message>
        <source>size</source>
        <translation>taille</translation>
    </message>
    <message>
        <source>date</source>
        <translation>date</translation>
    </message>
    <message>
        <source>contents</source>
        <translation>contenu</translation>
    </message>
    <message>
        <source>Compare</source>
        <translation>Comparer</translation>
    </message>
    <message>
        <source>Fi&amp;rst disc</source>
        <translation>&amp;Premier disque</translation>
    </message>
    <message>
        <source>First disc</source>
        <translation>Premier disque</translation>
    </message>
    <message>
        <source>Against the d&amp;isc</source>
        <translation>Avec le d&amp;isque</translation>
    </message>
    <message>
        <source>Second disc</source>
        <translation>Second disque</translation>
    </message>
    <message>
        <source>Against the f&amp;older as it is now</source>
        <translation>Avec le dossie&amp;r tel qu&apos;il est</translation>
    </message>
    <message>
        <source>Co&amp;mpare</source>
        <translation>Co&amp;mparer</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>Arrê&amp;ter</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>F&amp;ermer</translation>
    </message>
    <message>
        <source>Choose the first disc and the folder to compare it with.</source>
        <translation>Choisissez le premier disque et le dossier auquel le comparer.</translation>
    </message>
    <message>
        <source>Choose the two discs to compare.</source>
        <translation>Choisissez les deux disques à comparer.</translation>
    </message>
    <message>
        <source>Reading the catalogue...</source>
        <translation>Lecture du catalogue...</translation>
    </message>
    <message>
        <source>Only in the first (%1)</source>
        <translation>Seulement dans le premier (%1)</translation>
    </message>
    <message>
        <source>Only in the second (%1)</source>
        <translation>Seulement dans le second (%1)</translation>
    </message>
    <message>
        <source>Changed (%1)</source>
        <translation>Modifiés (%1)</translation>
    </message>
    <message>
        <source>The same (%1)</source>
        <translation>Identiques (%1)</translation>
    </message>
    <message>
        <source>Stopped: nothing was compared.</source>
        <translation>Arrêté : rien n&apos;a été comparé.</translation>
    </message>
    <message>
        <source>A disc chosen is no longer in the catalogue.</source>
        <translation>Un disque choisi n&apos;est plus dans le catalogue.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; against %2: %3 only in the first, %4 only in the second, %5 changed, %6 the same.</source>
        <translation>« %1 » contre %2 : %3 seulement dans le premier, %4 seulement dans le second, %5 modifiés, %6 identiques.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; and %2 hold the same %3 entries.</source>
        <translation>« %1 » et %2 contiennent les mêmes %3 entrées.</translation>
    </message>
    <message>
        <source>%1 places of the folder could not be read, the first: %2</source>
        <translation>%1 emplacements du dossier n&apos;ont pas pu être lus, le premier : %2</translation>
    </message>
    <message>
        <source>The folder could not be read whole: the comparison is partial.</source>
        <translation>Le dossier n&apos;a pas pu être lu en entier : la comparaison est partielle.</translation>
    </message>
    <message>
        <source>Comparison</source>
        <translation>Comparaison</translation>
    </message>
</context>
<context>
    <name>karvio::frmDuplicates</name>
    <message>
        <source>Duplicates</source>
        <translation>Doublons</translation>
    </message>
    <message>
        <source>&amp;Match by</source>
        <translation>Co&amp;mparer par</translation>
    </message>
    <message>
        <source>Name and size</source>
        <translation>Nom et taille</translation>
    </message>
    <message>
        <source>Content (recorded hashes)</source>
        <translation>Contenu (empreintes enregistrées)</translation>
    </message>
    <message>
        <source>Match by</source>
        <translation>Comparer par</translation>
    </message>
    <message>
        <source>Minimum si&amp;ze</source>
        <translation>Taille mi&amp;nimale</translation>
    </message>
    <message>
        <source> KB</source>
        <translation> Ko</translation>
    </message>
    <message>
        <source>Minimum size in KB</source>
        <translation>Taille minimale en Ko</translation>
    </message>
    <message>
        <source>Files on &amp;One Disc Only</source>
        <translation>Fichiers sur un &amp;seul disque</translation>
    </message>
    <message>
        <source>The files no other disc holds a copy of: what is not backed up twice</source>
        <translation>Les fichiers dont aucun autre disque n&apos;a de copie : ce qui n&apos;est pas sauvegardé deux fois</translation>
    </message>
    <message>
        <source>F&amp;ind</source>
        <translation>&amp;Rechercher</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>Arrê&amp;ter</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>F&amp;ermer</translation>
    </message>
    <message>
        <source>Reading the catalogue...</source>
        <translation>Lecture du catalogue...</translation>
    </message>
    <message>
        <source>Stopped: nothing was found.</source>
        <translation>Arrêté : rien n&apos;a été trouvé.</translation>
    </message>
    <message>
        <source>%1 files on one disc only, %2.</source>
        <translation>%1 fichiers sur un seul disque, %2.</translation>
    </message>
    <message>
        <source>%1 groups of duplicates, %2 files; keeping one copy of each would free %3.</source>
        <translation>%1 groupes de doublons, %2 fichiers ; garder une copie de chacun libérerait %3.</translation>
    </message>
    <message>
        <source>No content hashes are recorded: rescan the discs with &quot;Record the content hash of every file&quot;.</source>
        <translation>Aucune empreinte n&apos;est enregistrée : réanalysez les disques avec « Enregistrer l&apos;empreinte du contenu de chaque fichier ».</translation>
    </message>
    <message>
        <source>Sho&amp;w in List</source>
        <translation>Affic&amp;her dans la liste</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Propriétés</translation>
    </message>
    <message>
        <source>Files on one disc only</source>
        <translation>Fichiers sur un seul disque</translation>
    </message>
</context>
<context>
    <name>karvio::frmEdit</name>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Enregistrer</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Edit CD Details</source>
        <translation>Modifier les détails du CD</translation>
    </message>
    <message>
        <source>My Label</source>
        <translation>Mon libellé</translation>
    </message>
    <message>
        <source>CD Label</source>
        <translation>Étiquette du CD</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>Base path</source>
        <translation>Chemin de base</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Catégorie</translation>
    </message>
    <message>
        <source>&amp;My Label</source>
        <translation>&amp;Mon libellé</translation>
    </message>
    <message>
        <source>CD &amp;Label</source>
        <translation>É&amp;tiquette du CD</translation>
    </message>
    <message>
        <source>&amp;Notes</source>
        <translation>&amp;Notes</translation>
    </message>
    <message>
        <source>&amp;Base Path</source>
        <translation>Chemin de &amp;base</translation>
    </message>
    <message>
        <source>C&amp;ategory</source>
        <translation>&amp;Catégorie</translation>
    </message>
    <message>
        <source>Exit and lose all changes !!</source>
        <translation>Fermer et perdre toutes les modifications ?</translation>
    </message>
</context>
<context>
    <name>karvio::frmMenu</name>
    <message>
        <source>The help page could not be opened:<byte value="xd"/>
%1</source>
        <translation>La page d&apos;aide n&apos;a pas pu être ouverte :<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Edit Details</source>
        <translation>Modifier les détails</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Rescan</source>
        <translation>Réanalyser</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Imprimer</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>Synchroniser</translation>
    </message>
    <message>
        <source>Categories Setup</source>
        <translation>Gérer les catégories</translation>
    </message>
    <message>
        <source>Tree/List View Mode</source>
        <translation>Affichage en arborescence ou en liste</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Paramètres</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>P&amp;review</source>
        <translation>&amp;Aperçu</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Imprimer</translation>
    </message>
    <message>
        <source>&amp;Save as htm</source>
        <translation>&amp;Enregistrer en htm</translation>
    </message>
    <message>
        <source>&amp;Backup</source>
        <translation>&amp;Sauvegarder</translation>
    </message>
    <message>
        <source>&amp;Compact Data</source>
        <translation>&amp;Compacter les données</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;CD</source>
        <translation>&amp;CD</translation>
    </message>
    <message>
        <source>Show &amp;List</source>
        <translation>Afficher la &amp;liste</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Ajouter</translation>
    </message>
    <message>
        <source>&amp;Edit Details</source>
        <translation>&amp;Modifier les détails</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>&amp;Rescan</source>
        <translation>&amp;Réanalyser</translation>
    </message>
    <message>
        <source>&amp;Categories</source>
        <translation>&amp;Catégories</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>Rec&amp;hercher</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Propriétés</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Affichage</translation>
    </message>
    <message>
        <source>&amp;Explorer Style</source>
        <translation>Style &amp;Explorateur</translation>
    </message>
    <message>
        <source>&amp;Traditional</source>
        <translation>&amp;Traditionnel</translation>
    </message>
    <message>
        <source>L&amp;arge Icons</source>
        <translation>&amp;Grandes icônes</translation>
    </message>
    <message>
        <source>S&amp;mall Icons</source>
        <translation>&amp;Petites icônes</translation>
    </message>
    <message>
        <source>&amp;List</source>
        <translation>&amp;Liste</translation>
    </message>
    <message>
        <source>&amp;Details</source>
        <translation>&amp;Détails</translation>
    </message>
    <message>
        <source>E&amp;xact Sizes in Bytes</source>
        <translation>Tailles e&amp;xactes en octets</translation>
    </message>
    <message>
        <source>&amp;Debug</source>
        <translation>Débo&amp;gage</translation>
    </message>
    <message>
        <source>Class Data</source>
        <translation>Données de classe</translation>
    </message>
    <message>
        <source>CD Data</source>
        <translation>Données des CD</translation>
    </message>
    <message>
        <source>Dir Data</source>
        <translation>Données des répertoires</translation>
    </message>
    <message>
        <source>Files Data</source>
        <translation>Données des fichiers</translation>
    </message>
    <message>
        <source>Cat Data</source>
        <translation>Données des catégories</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Ai&amp;de</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Sommaire</translation>
    </message>
    <message>
        <source>&amp;Index</source>
        <translation>&amp;Index</translation>
    </message>
    <message>
        <source>&amp;Tip of the day</source>
        <translation>&amp;Astuce du jour</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>&amp;Add Cd</source>
        <translation>&amp;Ajouter un CD</translation>
    </message>
    <message>
        <source>&amp;Edit CD Details</source>
        <translation>&amp;Modifier les détails du CD</translation>
    </message>
    <message>
        <source>&amp;Delete Cd</source>
        <translation>&amp;Supprimer le CD</translation>
    </message>
    <message>
        <source>&amp;Rescan CD</source>
        <translation>&amp;Réanalyser le CD</translation>
    </message>
    <message>
        <source>&amp;Report Preview</source>
        <translation>Aperçu du rappor&amp;t</translation>
    </message>
    <message>
        <source>&amp;Launch</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>Add Cd &amp;or Folder</source>
        <translation>Ajouter un CD ou un &amp;dossier</translation>
    </message>
    <message>
        <source>&amp;Add Category</source>
        <translation>&amp;Ajouter une catégorie</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Supprimer</translation>
    </message>
    <message>
        <source>Re&amp;name</source>
        <translation>Re&amp;nommer</translation>
    </message>
    <message>
        <source>Large Icons</source>
        <translation>Grandes icônes</translation>
    </message>
    <message>
        <source>Small Icons</source>
        <translation>Petites icônes</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Détails</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Barre d&apos;outils</translation>
    </message>
    <message>
        <source>Data file: %1</source>
        <translation>Fichier de données : %1</translation>
    </message>
    <message>
        <source>Selected item&apos;s place</source>
        <translation>Emplacement de l&apos;élément sélectionné</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Stops the work under way</source>
        <translation>Arrête le travail en cours</translation>
    </message>
    <message>
        <source>Duplicates</source>
        <translation>Doublons</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Outils</translation>
    </message>
    <message>
        <source>&amp;Duplicates</source>
        <translation>&amp;Doublons</translation>
    </message>
    <message>
        <source>&amp;Verify</source>
        <translation>&amp;Vérifier</translation>
    </message>
    <message>
        <source>&amp;Compare</source>
        <translation>&amp;Comparer</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>E&amp;xporter...</translation>
    </message>
    <message>
        <source>&amp;Verify CD</source>
        <translation>&amp;Vérifier le CD</translation>
    </message>
</context>
<context>
    <name>karvio::frmMsgBox</name>
    <message>
        <source>Don&apos;t show this dialog in the future</source>
        <translation>Ne plus afficher cette boîte de dialogue</translation>
    </message>
</context>
<context>
    <name>karvio::frmPreviewOptions</name>
    <message>
        <source>Show Directory &amp;Size</source>
        <translation>Afficher la &amp;taille des dossiers</translation>
    </message>
    <message>
        <source>Show Directory &amp;Update Date</source>
        <translation>Afficher la date de &amp;modification des dossiers</translation>
    </message>
    <message>
        <source>Show Directory &amp;Attributes</source>
        <translation>Afficher les attrib&amp;uts des dossiers</translation>
    </message>
    <message>
        <source>Show Directory &amp;Notes</source>
        <translation>Afficher les &amp;notes des dossiers</translation>
    </message>
    <message>
        <source>Show &amp;Files</source>
        <translation>Afficher les &amp;fichiers</translation>
    </message>
    <message>
        <source>Show File S&amp;izes</source>
        <translation>Afficher la ta&amp;ille des fichiers</translation>
    </message>
    <message>
        <source>Show File Up&amp;date Dates</source>
        <translation>Afficher la date de mo&amp;dification des fichiers</translation>
    </message>
    <message>
        <source>Show File A&amp;ttributes</source>
        <translation>Afficher les attri&amp;buts des fichiers</translation>
    </message>
    <message>
        <source>Show File N&amp;otes</source>
        <translation>Afficher les not&amp;es des fichiers</translation>
    </message>
    <message>
        <source>Preview Options</source>
        <translation>Options de l&apos;aperçu</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Dossiers</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Fichiers</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Début</translation>
    </message>
    <message>
        <source>Start From &amp;Root</source>
        <translation>Commencer à la &amp;racine</translation>
    </message>
    <message>
        <source>Start From Selected &amp;Directory</source>
        <translation>Commencer au dossier &amp;sélectionné</translation>
    </message>
    <message>
        <source>Start From Root</source>
        <translation>Commencer à la racine</translation>
    </message>
    <message>
        <source>Start From Selected Directory</source>
        <translation>Commencer au dossier sélectionné</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>karvio::frmProperties</name>
    <message>
        <source>No files under this %1</source>
        <translation>Aucun fichier dans ce %1</translation>
    </message>
    <message>
        <source>Total number of files [%1]</source>
        <translation>Nombre total de fichiers [%1]</translation>
    </message>
    <message>
        <source>No subdirectories under this %1</source>
        <translation>Aucun sous-répertoire dans ce %1</translation>
    </message>
    <message>
        <source>Total number of subdirectories [%1]</source>
        <translation>Nombre total de sous-répertoires [%1]</translation>
    </message>
    <message>
        <source>Properties</source>
        <translation>Propriétés</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Attributes</source>
        <translation>Attributs</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Contenu</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Chemin</translation>
    </message>
    <message>
        <source>Disc</source>
        <translation>Disque</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Détails</translation>
    </message>
    <message>
        <source>Thumbnail</source>
        <translation>Vignette</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Name :</source>
        <translation>Nom :</translation>
    </message>
    <message>
        <source>Size :</source>
        <translation>Taille :</translation>
    </message>
    <message>
        <source>Date :</source>
        <translation>Date :</translation>
    </message>
    <message>
        <source>Attributes :</source>
        <translation>Attributs :</translation>
    </message>
    <message>
        <source>Volume :</source>
        <translation>Volume :</translation>
    </message>
    <message>
        <source>Path :</source>
        <translation>Chemin :</translation>
    </message>
    <message>
        <source>Disc :</source>
        <translation>Disque :</translation>
    </message>
    <message>
        <source>Details :</source>
        <translation>Détails :</translation>
    </message>
    <message>
        <source>&amp;Notes :</source>
        <translation>&amp;Notes :</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>dossier</translation>
    </message>
    <message>
        <source>directory</source>
        <translation>répertoire</translation>
    </message>
</context>
<context>
    <name>karvio::frmScan</name>
    <message>
        <source>The folder [%1] does not exist</source>
        <translation>Le dossier [%1] n&apos;existe pas</translation>
    </message>
    <message>
        <source>[%1] is not a folder</source>
        <translation>[%1] n&apos;est pas un dossier</translation>
    </message>
    <message>
        <source>The folder [%1] cannot be read</source>
        <translation>Le dossier [%1] ne peut pas être lu</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>&amp;Démarrer</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Cd Rescan</source>
        <translation>Analyse du CD</translation>
    </message>
    <message>
        <source>Mounted volumes</source>
        <translation>Volumes montés</translation>
    </message>
    <message>
        <source>Mounted &amp;volumes</source>
        <translation>&amp;Volumes montés</translation>
    </message>
    <message>
        <source>&amp;Drive</source>
        <translation>&amp;Lecteur</translation>
    </message>
    <message>
        <source>&amp;My Label</source>
        <translation>&amp;Mon libellé</translation>
    </message>
    <message>
        <source>CD &amp;Label</source>
        <translation>É&amp;tiquette du CD</translation>
    </message>
    <message>
        <source>&amp;Notes</source>
        <translation>&amp;Notes</translation>
    </message>
    <message>
        <source>C&amp;ategory</source>
        <translation>&amp;Catégorie</translation>
    </message>
    <message>
        <source>Look inside files</source>
        <translation>Regarder dans les fichiers</translation>
    </message>
    <message>
        <source>List the members of a&amp;rchives (zip, 7z, tar, iso, ...)</source>
        <translation>Lister le contenu des a&amp;rchives (zip, 7z, tar, iso, ...)</translation>
    </message>
    <message>
        <source>Read the details of p&amp;ictures, songs and films</source>
        <translation>Lire les détails des &amp;images, chansons et films</translation>
    </message>
    <message>
        <source>Make small pictures (t&amp;humbnails) of pictures</source>
        <translation>Créer des vi&amp;gnettes des images</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Lecteur</translation>
    </message>
    <message>
        <source>My Label</source>
        <translation>Mon libellé</translation>
    </message>
    <message>
        <source>CD Label</source>
        <translation>Étiquette du CD</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Catégorie</translation>
    </message>
    <message>
        <source>This volume is already catalogued as the CD [%1].<byte value="xd"/>
Rescan that CD instead (its notes are kept)?</source>
        <translation>Ce volume est déjà catalogué comme le CD [%1].<byte value="xd"/>
Réanalyser plutôt ce CD (ses notes sont conservées) ?</translation>
    </message>
    <message>
        <source>Record the cont&amp;ent hash of every file (to find duplicates, verify discs)</source>
        <translation>Enregistrer l&apos;empreinte (&amp;hash) du contenu de chaque fichier (pour trouver les doublons, vérifier les disques)</translation>
    </message>
    <message>
        <source>Reads every file to its end: a scan takes as long as copying the disc</source>
        <translation>Lit chaque fichier jusqu&apos;au bout : l&apos;analyse dure aussi longtemps qu&apos;une copie du disque</translation>
    </message>
</context>
<context>
    <name>karvio::frmSearch</name>
    <message>
        <source>Search</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Search &amp;For</source>
        <translation>&amp;Texte à rechercher</translation>
    </message>
    <message>
        <source>Search For</source>
        <translation>Texte à rechercher</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Rechercher</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>Arr&amp;êter</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>F&amp;ermer</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Search Criteria</source>
        <translation>Critères de recherche</translation>
    </message>
    <message>
        <source>&amp;Whole Word</source>
        <translation>&amp;Mot entier</translation>
    </message>
    <message>
        <source>&amp;Beginning</source>
        <translation>Dé&amp;but</translation>
    </message>
    <message>
        <source>&amp;Anywhere</source>
        <translation>&amp;N&apos;importe où</translation>
    </message>
    <message>
        <source>Search &amp;CD Names</source>
        <translation>Chercher dans les noms de &amp;CD</translation>
    </message>
    <message>
        <source>Search &amp;Path Names</source>
        <translation>Chercher dans les noms de c&amp;hemin</translation>
    </message>
    <message>
        <source>Search File&amp;Names</source>
        <translation>Chercher dans les noms de f&amp;ichier</translation>
    </message>
    <message>
        <source>Search Co&amp;mments</source>
        <translation>Chercher dans les c&amp;ommentaires</translation>
    </message>
    <message>
        <source>Search results</source>
        <translation>Résultats de la recherche</translation>
    </message>
    <message>
        <source>%1 found (stopped)</source>
        <translation>%1 trouvés (arrêté)</translation>
    </message>
    <message>
        <source>%1 found</source>
        <translation>%1 trouvés</translation>
    </message>
    <message>
        <source>&amp;Show in List</source>
        <translation>Afficher dans la &amp;liste</translation>
    </message>
    <message>
        <source>&amp;Launch</source>
        <translation>&amp;Ouvrir</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Propriétés</translation>
    </message>
</context>
<context>
    <name>karvio::frmTip</name>
    <message>
        <source>Tip of the Day</source>
        <translation>Astuce du jour</translation>
    </message>
    <message>
        <source>Did you know...</source>
        <translation>Le saviez-vous...</translation>
    </message>
    <message>
        <source>Karvio keeps a catalogue of your discs and folders.</source>
        <translation>Karvio tient un catalogue de vos disques et dossiers.</translation>
    </message>
    <message>
        <source>Show Tips at Startup</source>
        <translation>Afficher les astuces au démarrage</translation>
    </message>
    <message>
        <source>&amp;Next Tip</source>
        <translation>Astuce &amp;suivante</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>karvio::frmVerify</name>
    <message>
        <source>Status</source>
        <translation>État</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Chemin</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Détail</translation>
    </message>
    <message>
        <source>Missing</source>
        <translation>Manquant</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Nouveau</translation>
    </message>
    <message>
        <source>Changed</source>
        <translation>Modifié</translation>
    </message>
    <message>
        <source>Other contents</source>
        <translation>Autre contenu</translation>
    </message>
    <message>
        <source>Unreadable</source>
        <translation>Illisible</translation>
    </message>
    <message>
        <source>Gone while read</source>
        <translation>Disparu pendant la lecture</translation>
    </message>
    <message>
        <source>Changed while read</source>
        <translation>Modifié pendant la lecture</translation>
    </message>
    <message>
        <source>same size and date, other bytes than catalogued</source>
        <translation>même taille et même date, autres octets que ceux catalogués</translation>
    </message>
    <message>
        <source>size</source>
        <translation>taille</translation>
    </message>
    <message>
        <source>date</source>
        <translation>date</translation>
    </message>
    <message>
        <source>file or folder</source>
        <translation>fichier ou dossier</translation>
    </message>
    <message>
        <source>contents</source>
        <translation>contenu</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>Vérifier</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>Arrê&amp;ter</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>F&amp;ermer</translation>
    </message>
    <message>
        <source>Differences</source>
        <translation>Différences</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not mounted: select the folder that holds it</source>
        <translation>« %1 » n&apos;est pas monté : sélectionnez le dossier qui le contient</translation>
    </message>
    <message>
        <source>Verify %1</source>
        <translation>Vérifier %1</translation>
    </message>
    <message>
        <source>Reading &quot;%1&quot; at %2 against the catalogue...</source>
        <translation>Lecture de « %1 » dans %2 et comparaison avec le catalogue...</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Arrêt en cours...</translation>
    </message>
    <message>
        <source>%1 of %2 files: %3</source>
        <translation>%1 fichiers sur %2 : %3</translation>
    </message>
    <message>
        <source>This CD is no longer in the catalogue.</source>
        <translation>Ce CD n&apos;est plus dans le catalogue.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; read at %2.</source>
        <translation>« %1 » lu dans %2.</translation>
    </message>
    <message>
        <source>Stopped: this result is partial.</source>
        <translation>Arrêté : ce résultat est partiel.</translation>
    </message>
    <message>
        <source>The disc failed to read: this result is partial.</source>
        <translation>Le disque n&apos;a pas pu être lu : ce résultat est partiel.</translation>
    </message>
    <message>
        <source>The disc reads back as it was catalogued.</source>
        <translation>Le disque se relit tel qu&apos;il a été catalogué.</translation>
    </message>
    <message>
        <source>%1 missing, %2 new, %3 changed, %4 with other contents, %5 unreadable.</source>
        <translation>%1 manquants, %2 nouveaux, %3 modifiés, %4 au contenu différent, %5 illisibles.</translation>
    </message>
    <message>
        <source>%1 changed or went away while they were read.</source>
        <translation>%1 ont changé ou disparu pendant leur lecture.</translation>
    </message>
    <message>
        <source>%1 of %2 catalogued files read (%3), %4 compared by content.</source>
        <translation>%1 fichiers catalogués lus sur %2 (%3), %4 comparés par leur contenu.</translation>
    </message>
    <message>
        <source>No content hashes are recorded for this disc: files of the same size and date were not compared by content.</source>
        <translation>Aucune empreinte de contenu n&apos;est enregistrée pour ce disque : les fichiers de même taille et de même date n&apos;ont pas été comparés par leur contenu.</translation>
    </message>
</context>
<context>
    <name>karvio::frmWebBrowser</name>
    <message>
        <source>The folder %1 cannot be created.</source>
        <translation>Le dossier %1 ne peut pas être créé.</translation>
    </message>
    <message>
        <source>The image %1 cannot be written.</source>
        <translation>L&apos;image %1 ne peut pas être écrite.</translation>
    </message>
    <message>
        <source>Report Preview</source>
        <translation>Aperçu du rapport</translation>
    </message>
    <message>
        <source>Report page</source>
        <translation>Page du rapport</translation>
    </message>
    <message>
        <source>The report page cannot be read:<byte value="xd"/>
%1<byte value="xd"/>
%2</source>
        <translation>La page du rapport ne peut pas être lue :<byte value="xd"/>
%1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Imprimer</translation>
    </message>
    <message>
        <source>The page could not be printed on %1.</source>
        <translation>La page n&apos;a pas pu être imprimée sur %1.</translation>
    </message>
    <message>
        <source>Save as htm</source>
        <translation>Enregistrer en htm</translation>
    </message>
    <message>
        <source>Web page (*.htm *.html)</source>
        <translation>Page web (*.htm *.html)</translation>
    </message>
    <message>
        <source>The page could not be saved.<byte value="xd"/>
%1</source>
        <translation>La page n&apos;a pas pu être enregistrée.<byte value="xd"/>
%1</translation>
    </message>
</context>
</TS>
